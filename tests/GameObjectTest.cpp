// Game objects: component order, the stop at the first failing init, run-time type lookup.

#include "GameObject.h"
#include "IComponent.h"
#include "IRenderComponent.h"
#include "SpriteRenderComponent.h"
#include "TestSupport.h"

#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using zelk::GameObject;
using zelk::IComponent;

// Writes what happens to it into a shared log, so order across components is visible.
class ProbeComponent : public IComponent
{
public:
    ProbeComponent(GameObject& gameObject, std::vector<std::string>& log, std::string name, bool initResult = true)
        : IComponent(gameObject)
        , m_log(log)
        , m_name(std::move(name))
        , m_initResult(initResult)
    {
    }
    ~ProbeComponent() override { m_log.push_back("destroy " + m_name); }

    bool init() override
    {
        m_log.push_back("init " + m_name);
        return m_initResult;
    }
    void update(float) override { m_log.push_back("update " + m_name); }

private:
    std::vector<std::string>& m_log;
    std::string m_name;
    bool m_initResult;
};

class OtherProbeComponent : public ProbeComponent
{
public:
    using ProbeComponent::ProbeComponent;
};

} // namespace

TEST(GameObjectTest, ComponentsInitialiseInOrderUntilTheFirstFailureWithOneMessageAndUpdateInOrder)
{
    std::vector<std::string> log;
    GameObject empty("Empty");
    auto object = std::make_shared<GameObject>("Crate7");
    object->addComponent<ProbeComponent>(*object, log, "a");
    object->addComponent<ProbeComponent>(*object, log, "b", false);
    object->addComponent<ProbeComponent>(*object, log, "c");
    EXPECT_TRUE(log.empty()) << "adding does not initialise";

    zelk::test::StreamCapture err(sf::err());
    EXPECT_TRUE(empty.init());
    EXPECT_FALSE(object->init());
    EXPECT_EQ(err.text(), "Could not initialize component of object Crate7\n");
    EXPECT_EQ(log, (std::vector<std::string>{"init a", "init b"}));

    log.clear();
    object->update(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"update a", "update b", "update c"}));
}

TEST(GameObjectTest, GetComponentFindsTheFirstOfTheClassOrOfOneDerivedFromItOrNothing)
{
    std::vector<std::string> log;
    auto object = std::make_shared<GameObject>("Player0");
    EXPECT_EQ(object->getComponent<ProbeComponent>(), nullptr);
    auto plain = object->addComponent<ProbeComponent>(*object, log, "plain");
    EXPECT_EQ(object->getComponent<OtherProbeComponent>(), nullptr);
    auto sprite = object->addComponent<zelk::SpriteRenderComponent>(*object, zelk::test::testWindow(), "none.png",
                                                                     "Objects");
    auto derived = object->addComponent<OtherProbeComponent>(*object, log, "derived");

    EXPECT_EQ(object->getComponent<zelk::IRenderComponent>(), sprite);
    EXPECT_EQ(object->getComponent<zelk::SpriteRenderComponent>(), sprite);
    EXPECT_EQ(object->getComponent<OtherProbeComponent>(), derived);
    // A base class matches the earliest component of any class derived from it.
    EXPECT_EQ(object->getComponent<ProbeComponent>(), plain);
    EXPECT_EQ(object->getComponent<IComponent>(), plain);
}

TEST(GameObjectTest, DestroyingTheObjectReleasesComponentsFrontToBack)
{
    std::vector<std::string> log;
    {
        auto object = std::make_shared<GameObject>("Doomed");
        object->addComponent<ProbeComponent>(*object, log, "body");
        object->addComponent<ProbeComponent>(*object, log, "collider");
        object->addComponent<ProbeComponent>(*object, log, "sprite");
    }
    EXPECT_EQ(log, (std::vector<std::string>{"destroy body", "destroy collider", "destroy sprite"}));
}
