// Render layers: filing through the create/destroy events, drawing order, inactive objects,
// re-filing, and that a destroyed component is never drawn.

#include "AnimationRenderComponent.h"
#include "EventBus.h"
#include "GameObject.h"
#include "IRenderComponent.h"
#include "RenderableCreateEvent.h"
#include "RenderableDestroyEvent.h"
#include "SpriteManager.h"
#include "SpriteRenderComponent.h"
#include "Subscription.h"
#include "TileLayerRenderComponent.h"
#include "TestSupport.h"
#include "TraceProfiler.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

using zelk::GameObject;
using zelk::SpriteManager;

// A layered render component that writes its name into a log when drawn; it announces itself
// exactly like the game's layered components do.
class RecordingRenderComponent : public zelk::IRenderComponent
{
public:
    RecordingRenderComponent(GameObject& gameObject, std::vector<std::string>& log, std::string name,
                             std::string layerName)
        : IRenderComponent(gameObject, zelk::test::testWindow())
        , m_log(log)
        , m_name(std::move(name))
        , m_layerName(std::move(layerName))
    {
        zelk::EventBus::getInstance().fireEvent(std::make_shared<zelk::RenderableCreateEvent>(*this, m_layerName));
    }
    ~RecordingRenderComponent() override
    {
        zelk::EventBus::getInstance().fireEvent(std::make_shared<zelk::RenderableDestroyEvent>(*this, m_layerName));
    }

    bool init() override { return true; }
    void update(float) override {}
    void draw() override { m_log.push_back(m_name); }

    // Announces the component once more, as if it had been created on another layer.
    void announceOn(const std::string& layerName)
    {
        zelk::EventBus::getInstance().fireEvent(std::make_shared<zelk::RenderableCreateEvent>(*this, layerName));
    }
    void announceDestroyedFrom(const std::string& layerName)
    {
        zelk::EventBus::getInstance().fireEvent(std::make_shared<zelk::RenderableDestroyEvent>(*this, layerName));
    }

private:
    std::vector<std::string>& m_log;
    std::string m_name;
    std::string m_layerName;
};

const std::vector<std::string> MATCH_LAYERS{"Background", "Top", "Objects", "GUI"};

class SpriteManagerTest : public ::testing::Test
{
protected:
    SpriteManagerTest()
        : m_manager(zelk::test::testWindow())
    {
        m_manager.init();
        m_manager.setLayerOrder(MATCH_LAYERS);
    }

    // A fresh object carrying one recording component on the given layer.
    std::shared_ptr<RecordingRenderComponent> addDrawable(const std::string& name, const std::string& layer)
    {
        auto object = std::make_shared<GameObject>(name);
        auto component = object->addComponent<RecordingRenderComponent>(*object, m_log, name, layer);
        m_objects.push_back(object);
        return component;
    }

    std::vector<std::string> drawnNames()
    {
        m_log.clear();
        m_manager.draw();
        return m_log;
    }

    zelk::test::StreamCapture m_err{sf::err()};
    std::vector<std::string> m_log;
    SpriteManager m_manager;
    std::vector<std::shared_ptr<GameObject>> m_objects;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(SpriteManagerTest, LayersDrawInLayerOrderAndWithinALayerInCreationOrder)
{
    addDrawable("heart", "GUI");
    addDrawable("rock", "Objects");
    addDrawable("top tiles", "Top");
    addDrawable("bomb", "Objects");
    addDrawable("ground", "Background");

    EXPECT_EQ(drawnNames(), (Names{"ground", "top tiles", "rock", "bomb", "heart"}));
    m_manager.setLayerOrder({"GUI", "Background"});
    EXPECT_EQ(drawnNames(), (Names{"heart", "ground"}));
}

TEST_F(SpriteManagerTest, AnInactiveObjectIsSkippedAndResumesAtItsOldPlace)
{
    addDrawable("first", "Objects");
    auto middle = addDrawable("middle", "Objects");
    addDrawable("last", "Objects");

    middle->getGameObject().setActive(false);
    EXPECT_EQ(drawnNames(), (Names{"first", "last"}));
    EXPECT_EQ(m_manager.getLayer("Objects").size(), 3u);

    middle->getGameObject().setActive(true);
    EXPECT_EQ(drawnNames(), (Names{"first", "middle", "last"}));
}

TEST_F(SpriteManagerTest, ALayerOutsideTheDrawingOrderIsNeverDrawn)
{
    addDrawable("ghost", "Ceiling");
    addDrawable("rock", "Objects");

    EXPECT_EQ(drawnNames(), (Names{"rock"}));
    EXPECT_EQ(m_manager.getLayerOf(m_objects.front()->getComponent<zelk::IRenderComponent>().get()), "Ceiling");
}

// Announced again, on another layer or its own: filed once, at the end of the new layer.
TEST_F(SpriteManagerTest, ASecondCreateEventMovesTheComponentAndSaysSo)
{
    for (const auto& [layer, drawn] : {std::pair{"GUI", Names{"other", "heart", "wanderer"}},
                                       std::pair{"Objects", Names{"other", "wanderer", "heart"}}})
    {
        SCOPED_TRACE(layer);
        auto wanderer = addDrawable("wanderer", "Objects");
        addDrawable("other", "Objects");
        addDrawable("heart", "GUI");
        m_err.clear();

        wanderer->announceOn(layer);
        EXPECT_EQ(m_err.text(), "src/SpriteManager Line: 59 Removing component from layer, before adding to new "
                                "layer. from Objects to " + std::string(layer) + "\n");
        EXPECT_EQ(drawnNames(), drawn);
        m_objects.clear();
    }
}

TEST_F(SpriteManagerTest, DestroyingRemovesByTheRecordedLayerNotTheEventsName)
{
    auto leaving = addDrawable("leaving", "Objects");
    addDrawable("staying", "Objects");

    leaving->announceDestroyedFrom("GUI");
    EXPECT_EQ(drawnNames(), (Names{"staying"}));
    EXPECT_EQ(m_manager.getLayerOf(leaving.get()), "");

    // A destroy event for a component that is no longer filed is ignored.
    leaving->announceDestroyedFrom("Objects");
    EXPECT_EQ(drawnNames(), (Names{"staying"}));
}

TEST_F(SpriteManagerTest, TheCameraIsDrawnBeforeEveryLayer)
{
    addDrawable("ground", "Background");
    auto camera = addDrawable("camera", "Camera");
    m_manager.setCamera(camera.get());

    EXPECT_EQ(drawnNames(), (Names{"camera", "ground"}));
}

TEST_F(SpriteManagerTest, AfterShutdownNothingIsFiledOrDrawn)
{
    addDrawable("old", "Objects");
    m_manager.shutdown();

    addDrawable("new", "Objects");
    m_manager.setLayerOrder(MATCH_LAYERS);
    EXPECT_EQ(drawnNames(), Names{});
    EXPECT_TRUE(m_manager.getLayer("Objects").empty());
    // The objects die after the shutdown; their destroy events reach nobody.
    m_objects.clear();
}

TEST_F(SpriteManagerTest, EveryLayerPassIsTimedUnderTheLayersName)
{
    addDrawable("rock", "Objects");
    const auto tracePath = std::filesystem::temp_directory_path() /
                           ("bramblot-layer-trace-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                            ".json");
    auto& profiler = zelk::TraceProfiler::getInstance();
    profiler.beginTrace("layers", tracePath.string());
    m_manager.draw();
    profiler.endTrace();

    const std::string trace = zelk::test::readFile(tracePath);
    std::filesystem::remove(tracePath);
    std::size_t previous = 0;
    for (const auto& layer : MATCH_LAYERS)
    {
        const std::size_t at = trace.find("\"name\":\"" + layer + "\"");
        ASSERT_NE(at, std::string::npos) << layer;
        EXPECT_GT(at, previous) << layer;
        previous = at;
    }
}

namespace
{

std::filesystem::path writeSolidImage(const std::string& name, sf::Color colour)
{
    const auto path = std::filesystem::temp_directory_path() / name;
    sf::Image image;
    image.create(8, 8, colour);
    image.saveToFile(path.string());
    return path;
}

sf::Color pixelAt(sf::RenderWindow& window, unsigned x, unsigned y)
{
    sf::Texture copy;
    copy.create(window.getSize().x, window.getSize().y);
    copy.update(window);
    return copy.copyToImage().getPixel(x, y);
}

} // namespace

// The game's layered components are filed under their layer while whole, so that a listener may
// draw them during either announcement, and once their object is gone they are never drawn again.
// Run in the sanitizer build: a dangling layer entry would be a use after free here.
TEST_F(SpriteManagerTest, TheGamesLayeredComponentsAreFiledWhileWholeAndNeverDrawnOnceGone)
{
    sf::RenderWindow& window = zelk::test::testWindow();
    const auto image = writeSolidImage("bramblot-layer-red-" + std::to_string(::getpid()) + ".png", sf::Color::Red);
    int drawnWhenAnnounced = 0;
    const auto drawAnnounced = [&drawnWhenAnnounced](std::shared_ptr<zelk::IEvent> event) {
        static_cast<zelk::BasicDataEvent<zelk::IRenderComponent&>&>(*event).getData().draw();
        ++drawnWhenAnnounced;
    };
    zelk::Subscription created(zelk::RenderableCreateEvent::Type, drawAnnounced);
    zelk::Subscription destroyed(zelk::RenderableDestroyEvent::Type, drawAnnounced);
    auto player = std::make_shared<GameObject>("Player0");
    player->setPosition(100.f, 100.f);
    zelk::TileLayerData tiles;
    tiles.name = "Background";
    const std::vector<std::pair<zelk::IRenderComponent*, std::string>> filed{
        {player->addComponent<zelk::SpriteRenderComponent>(*player, window, image.string(), "Objects").get(), "Objects"},
        {player->addComponent<zelk::AnimationRenderComponent>(*player, window, "Top", image.string()).get(), "Top"},
        {player->addComponent<zelk::TileLayerRenderComponent>(*player, window, tiles).get(), "Background"}};
    ASSERT_TRUE(player->init());
    for (const auto& [component, layer] : filed)
        EXPECT_EQ(m_manager.getLayerOf(component), layer);
    window.setView(window.getDefaultView());
    window.clear();
    m_manager.draw();
    ASSERT_EQ(pixelAt(window, 102, 102), sf::Color::Red);

    player.reset();
    for (const auto& [component, layer] : filed)
        EXPECT_TRUE(m_manager.getLayer(layer).empty()) << layer;
    window.clear();
    m_manager.draw();
    EXPECT_EQ(pixelAt(window, 102, 102), sf::Color::Black);
    EXPECT_EQ(drawnWhenAnnounced, 6);
    std::filesystem::remove(image);
}
