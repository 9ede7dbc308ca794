#include "AnimationRenderComponent.h"
#include "BombComponent.h"
#include "GameObjectCreateEvent.h"
#include "ItemSpawnerComponent.h"
#include "SpriteRenderComponent.h"
#include "MatchKit.h"
#include "TiledMap.h"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <limits>
#include <sstream>

using namespace zelk;
using namespace zelk::test;

namespace
{

std::filesystem::path mapPath(const std::string& fileName)
{
    return sourceDir() / "tests" / "data" / "factory" / fileName;
}

// The asset directory of these tests: fresh sprite sheets of known sizes, so a loaded texture
// proves which file a component was given.
class ImageDirectory : public AssetSandbox
{
public:
    ImageDirectory()
        : AssetSandbox(Empty{})
    {
        for (const auto& [name, size] : {std::pair{"player.png", sf::Vector2u(224, 128)},
                                         {"rock.png", sf::Vector2u(48, 16)}, {"bomb.png", sf::Vector2u(64, 32)}})
            writeImage(name, size.x, size.y, sf::Color(200, 120, 40));
    }

    std::filesystem::path path() const { return assets(); }
};

// What a component is, in the words of the component list the tests compare against.
std::string kindOf(const std::shared_ptr<IComponent>& component)
{
    const IComponent* c = component.get();
    if (dynamic_cast<const HealthComponent*>(c))
        return "Health";
    if (dynamic_cast<const AnimationRenderComponent*>(c))
        return "Animation";
    if (dynamic_cast<const RigidBodyComponent*>(c))
        return "RigidBody";
    if (dynamic_cast<const ColliderComponent*>(c))
        return "Collider";
    if (dynamic_cast<const PlayerFallComponent*>(c))
        return "Fall";
    if (dynamic_cast<const ItemInteractComponent*>(c))
        return "Interact";
    if (dynamic_cast<const PlayerMoveComponent*>(c))
        return "Move";
    if (dynamic_cast<const ItemSpawnerComponent*>(c))
        return "Spawner";
    return "Other";
}

std::vector<std::string> componentKinds(const GameObject& gameObject)
{
    std::vector<std::string> kinds;
    for (const auto& component : gameObject.getComponents())
        kinds.push_back(kindOf(component));
    return kinds;
}

// The fixture's box in pixels, in world coordinates: where the object really is for the physics.
sf::FloatRect pixelBounds(const ColliderComponent& collider)
{
    const b2Fixture* fixture = collider.getFixture();
    const auto& polygon = *static_cast<const b2PolygonShape*>(fixture->GetShape());
    const b2Transform& transform = fixture->GetBody()->GetTransform();
    float left = std::numeric_limits<float>::max();
    float top = left;
    float right = -left;
    float bottom = -left;
    for (int i = 0; i < polygon.m_count; ++i)
    {
        const b2Vec2 corner = b2Mul(transform, polygon.m_vertices[i]);
        left = std::min(left, corner.x * PIXELS_PER_METRE);
        top = std::min(top, corner.y * PIXELS_PER_METRE);
        right = std::max(right, corner.x * PIXELS_PER_METRE);
        bottom = std::max(bottom, corner.y * PIXELS_PER_METRE);
    }
    return {left, top, right - left, bottom - top};
}

void expectBounds(const ColliderComponent& collider, float left, float top, float width, float height)
{
    const sf::FloatRect bounds = pixelBounds(collider);
    EXPECT_NEAR(bounds.left, left, 1e-3f);
    EXPECT_NEAR(bounds.top, top, 1e-3f);
    EXPECT_NEAR(bounds.width, width, 1e-3f);
    EXPECT_NEAR(bounds.height, height, 1e-3f);
}

int countLines(const std::string& text, const std::string& needle)
{
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);)
    {
        if (line.find(needle) != std::string::npos)
            ++count;
    }
    return count;
}

// Factory messages about one map object begin with its quoted name.
int messagesAbout(const std::string& errors, const std::string& objectName)
{
    return countLines(errors, "Map object \"" + objectName + "\"");
}

// A match in miniature: the registry and the layers listen, the factory fills them from a real map.
class ObjectFactoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_gameObjects.init();
        m_sprites.init();
        m_creationListener = EventBus::getInstance().addListener(
            GameObjectCreateEvent::Type, [this](std::shared_ptr<IEvent> event) {
                m_created.push_back(static_cast<GameObjectCreateEvent&>(*event).getData());
                m_createdIds.push_back(m_created.back()->getId());
            });
    }

    void TearDown() override
    {
        m_created.clear();
        EventBus::getInstance().removeListener(m_creationListener);
        m_sprites.shutdown();
        m_gameObjects.shutdown();
    }

    const TiledMap& loadMap(const std::string& fileName)
    {
        EXPECT_TRUE(m_map.loadFromFile(mapPath(fileName))) << m_map.getError();
        return m_map;
    }

    // Runs the factory on one named object of a map, as the match does for every object.
    std::shared_ptr<GameObject> build(const std::string& fileName, const std::string& objectName)
    {
        const TiledMap& map = loadMap(fileName);
        for (const TiledLayer& layer : map.getLayers())
        {
            for (const TiledObject& object : layer.objects)
            {
                if (object.name == objectName)
                    createObject(object, layer, m_images.path(), m_sprites);
            }
        }
        return registered(objectName);
    }

    void loadAll(const std::string& fileName) { loadObjects(loadMap(fileName), m_images.path(), m_sprites); }

    std::shared_ptr<GameObject> registered(const std::string& id) const
    {
        const auto& objects = m_gameObjects.getGameObjects();
        const auto found = objects.find(id);
        return found == objects.end() ? nullptr : found->second;
    }

    ImageDirectory m_images;
    TiledMap m_map;
    GameObjectManager m_gameObjects;
    SpriteManager m_sprites{testWindow()};
    // Every object announced, and its id.
    std::vector<std::shared_ptr<GameObject>> m_created;
    std::vector<std::string> m_createdIds;
    ListenerId m_creationListener = 0;
};

} // namespace

// What a player object becomes, by its properties: the components in update order, its hearts
// (-1 for none), the input it answers to, and its box in the physics, centred on the map position.
struct BuiltPlayer
{
    const char* name;
    std::vector<std::string> kinds;
    int health;
    int playerIndex;
    sf::FloatRect box;
    float density;
};

TEST_F(ObjectFactoryTest, APlayersPropertiesChooseItsComponentsAndItsBody)
{
    using Kinds = std::vector<std::string>;
    const Kinds body{"RigidBody", "Collider", "Fall", "Interact"};
    const Kinds walker{"RigidBody", "Collider", "Fall", "Interact", "Move"};
    const Kinds everything{"Health", "Animation", "RigidBody", "Collider", "Fall", "Interact", "Move"};
    // A 16-pixel box at the map's origin.
    const sf::FloatRect origin(-8.f, -8.f, 16.f, 16.f);
    for (const BuiltPlayer& expected :
         {BuiltPlayer{"Bare", body, -1, 0, {92.f, 188.f, 16.f, 24.f}, 1.f},
          BuiltPlayer{"Complete", everything, 3, 1, {312.f, 152.f, 16.f, 16.f}, 2.5f},
          BuiltPlayer{"HealthZero", {"Health", "RigidBody", "Collider", "Fall", "Interact"}, 0, 0, origin, 1.f},
          BuiltPlayer{"HealthNegative", body, -1, 0, origin, 1.f},
          BuiltPlayer{"Walker", walker, -1, 0, origin, 1.f},
          // An input without key bindings is accepted.
          BuiltPlayer{"ThirdPlayer", walker, -1, 2, origin, 1.f},
          // Fractional map coordinates are cut to whole pixels.
          BuiltPlayer{"FractionalPlace", body, -1, 0, {32.f, 62.f, 16.f, 16.f}, 1.f}})
    {
        SCOPED_TRACE(expected.name);
        const StreamCapture errors(sf::err());
        const std::size_t drawnBefore = m_sprites.getLayer("Objects").size();
        const auto player = build("sprites.tmj", expected.name);
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(messagesAbout(errors.text(), expected.name), 0) << errors.text();
        EXPECT_EQ(componentKinds(*player), expected.kinds);
        const auto health = player->getComponent<HealthComponent>();
        EXPECT_EQ(health ? health->getHealth() : -1, expected.health);
        EXPECT_EQ(player->getComponent<ItemInteractComponent>()->getPlayerIndex(), expected.playerIndex);
        const sf::FloatRect& box = expected.box;
        EXPECT_EQ(player->getPosition(), sf::Vector2f(box.left + box.width / 2, box.top + box.height / 2));
        const auto collider = player->getComponent<ColliderComponent>();
        expectBounds(*collider, box.left, box.top, box.width, box.height);
        EXPECT_FLOAT_EQ(collider->getFixture()->GetDensity(), expected.density);
        const bool drawn = player->getComponent<AnimationRenderComponent>() != nullptr;
        EXPECT_EQ(m_sprites.getLayer("Objects").size(), drawnBefore + (drawn ? 1u : 0u));
    }
}

TEST_F(ObjectFactoryTest, BodyIsADynamicBoxThatRespawnsWhereTheMapPutIt)
{
    const auto player = build("sprites.tmj", "Complete");
    ASSERT_NE(player, nullptr);
    const auto collider = player->getComponent<ColliderComponent>();
    ASSERT_NE(collider->getFixture(), nullptr);
    const b2Fixture& fixture = *collider->getFixture();

    EXPECT_EQ(fixture.GetBody()->GetType(), b2_dynamicBody);
    EXPECT_EQ(player->getComponent<PlayerFallComponent>()->getRespawnPosition(), sf::Vector2f(320.f, 160.f));
    EXPECT_FLOAT_EQ(fixture.GetFriction(), 0.2f);
    EXPECT_FLOAT_EQ(fixture.GetRestitution(), 0.f);
    EXPECT_FLOAT_EQ(fixture.GetRestitutionThreshold(), 1.f);
    EXPECT_FALSE(fixture.IsSensor());
    EXPECT_EQ(fixture.GetFilterData().categoryBits, 0x0001);
    EXPECT_EQ(fixture.GetFilterData().maskBits, 0xFFFF);
    EXPECT_EQ(fixture.GetFilterData().groupIndex, 0);
}

TEST_F(ObjectFactoryTest, TexturedPlayerIsDrawnOnItsLayerStandingFacingDown)
{
    const auto player = build("sprites.tmj", "Complete");
    ASSERT_NE(player, nullptr);
    const auto animation = player->getComponent<AnimationRenderComponent>();
    ASSERT_NE(animation, nullptr);

    EXPECT_EQ(m_sprites.getLayer("Objects"), std::list<IRenderComponent*>{animation.get()});
    EXPECT_EQ(animation->getTexture().getSize(), sf::Vector2u(224, 128)) << "the sheet from the asset directory";
    EXPECT_EQ(animation->getSprite().getTextureRect(), sf::IntRect(32, 8, 16, 16));
    EXPECT_EQ(animation->getSprite().getOrigin(), sf::Vector2f(8.f, 8.f));

    EXPECT_EQ(animation->getCurrentType(), 0);
    EXPECT_EQ(animation->getCurrentDirection(), 1);
    const Animation* standing = animation->getCurrentAnimation();
    ASSERT_NE(standing, nullptr);
    EXPECT_EQ(standing->frames, (std::vector<sf::IntRect>{{0, 0, 16, 16}, {0, 16, 16, 16}}));
    EXPECT_EQ(standing->scale, sf::Vector2f(2.f, 2.f));
    EXPECT_FLOAT_EQ(standing->frameTime, 0.2f);
    EXPECT_TRUE(standing->loop);
}

TEST_F(ObjectFactoryTest, WalkingAndThrowingAnimationsComeFromTheirSheetColumns)
{
    const auto player = build("sprites.tmj", "Unscaled");
    ASSERT_NE(player, nullptr);
    auto animation = player->getComponent<AnimationRenderComponent>();

    animation->setAnimation(1, 2);
    const Animation* walkingLeft = animation->getCurrentAnimation();
    ASSERT_NE(walkingLeft, nullptr);
    EXPECT_EQ(walkingLeft->frames,
              (std::vector<sf::IntRect>{{80, 0, 16, 16}, {80, 16, 16, 16}, {80, 32, 16, 16}, {80, 48, 16, 16}}));
    EXPECT_EQ(walkingLeft->scale, sf::Vector2f(-1.f, 1.f));

    animation->setAnimation(2, 0);
    const Animation* throwingUp = animation->getCurrentAnimation();
    ASSERT_NE(throwingUp, nullptr);
    EXPECT_EQ(throwingUp->frames,
              (std::vector<sf::IntRect>{{128, 0, 32, 32}, {128, 32, 32, 32}, {128, 64, 32, 32}, {128, 96, 32, 32}}));
    EXPECT_FLOAT_EQ(throwingUp->frameTime, 0.1f);
    EXPECT_FALSE(throwingUp->loop);
}

TEST_F(ObjectFactoryTest, DownUpAndRightColumnsSideBySideAndLeftMirrorsRight)
{
    GameObject owner("Sheet");
    AnimationRenderComponent animation(owner, testWindow(), "Objects", "unused.png");
    addDirectionalAnimations(animation, 5, 3, true, 0.25f, {10, 20}, {8, 12}, 1.5f);

    const auto column = [](int left) {
        return std::vector<sf::IntRect>{{left, 20, 8, 12}, {left, 32, 8, 12}, {left, 44, 8, 12}};
    };
    struct Expected
    {
        int direction;
        int left;
        sf::Vector2f scale;
    };
    for (const Expected& expected : {Expected{1, 10, {1.5f, 1.5f}}, Expected{0, 18, {1.5f, 1.5f}},
                                     Expected{3, 26, {1.5f, 1.5f}}, Expected{2, 26, {-1.5f, 1.5f}}})
    {
        SCOPED_TRACE("direction " + std::to_string(expected.direction));
        animation.setAnimation(5, expected.direction);
        const Animation* found = animation.getCurrentAnimation();
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->frames, column(expected.left));
        EXPECT_EQ(found->scale, expected.scale);
        EXPECT_FLOAT_EQ(found->frameTime, 0.25f);
        EXPECT_TRUE(found->loop);
    }
    const StreamCapture errors(sf::err());
    animation.setAnimation(5, 4);
    EXPECT_EQ(animation.getCurrentAnimation(), nullptr) << "only the four directions are added";
}

TEST_F(ObjectFactoryTest, AFrameCountBelowOneAddsNothing)
{
    GameObject owner("Sheet");
    AnimationRenderComponent animation(owner, testWindow(), "Objects", "unused.png");
    const StreamCapture errors(sf::err());
    addDirectionalAnimations(animation, 0, 0, true, 0.2f, {0, 0}, {16, 16}, 1.f);
    EXPECT_EQ(countLines(errors.text(), "at least one frame"), 1);
    animation.setAnimation(0, 1);
    EXPECT_EQ(animation.getCurrentAnimation(), nullptr);
}

// Walls are solid, triggers sensors whose category follows the exact name of their type; both are
// static, placed by the top-left corner, undrawn, and ignore every other property.
TEST_F(ObjectFactoryTest, CollidersAreStaticWallsAndTriggersSensorsInTheirTypesCategory)
{
    struct Case
    {
        const char* name;
        bool sensor;
        std::uint16_t category;
    };
    for (const Case& expected : {Case{"Wall", false, 0x0008}, Case{"WallWithProperties", false, 0x0008},
                                 Case{"Chasm", true, 0x0004}, Case{"Stream", true, 22}, Case{"LowerCase", true, 0x0001},
                                 Case{"Untyped", true, 0x0001}, Case{"Other", true, 0x0001}})
    {
        SCOPED_TRACE(expected.name);
        const auto object = build("walls.tmj", expected.name);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(componentKinds(*object), (std::vector<std::string>{"RigidBody", "Collider"}));
        const b2Fixture& fixture = *object->getComponent<ColliderComponent>()->getFixture();
        EXPECT_EQ(fixture.GetBody()->GetType(), b2_staticBody);
        EXPECT_EQ(fixture.IsSensor(), expected.sensor);
        EXPECT_EQ(fixture.GetFilterData().categoryBits, expected.category);
        EXPECT_EQ(fixture.GetFilterData().maskBits, 0xFFFF);
        if (!expected.sensor)
        {
            EXPECT_FLOAT_EQ(fixture.GetFriction(), 0.2f);
            EXPECT_FLOAT_EQ(fixture.GetDensity(), 0.f);
        }
    }
    expectBounds(*registered("Wall")->getComponent<ColliderComponent>(), 64.f, 96.f, 128.f, 32.f);
    expectBounds(*registered("Chasm")->getComponent<ColliderComponent>(), 300.f, 30.f, 60.f, 90.f);
    EXPECT_TRUE(m_sprites.getLayer("Objects").empty());
}

TEST_F(ObjectFactoryTest, TwoCollidersWithOneNameAreBothBuiltAndTheRegistryKeepsTheLater)
{
    loadAll("walls.tmj");
    EXPECT_EQ(std::count(m_createdIds.begin(), m_createdIds.end(), "Twin"), 2);
    const auto twin = registered("Twin");
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->getPosition(), sf::Vector2f(500.f, 600.f));
}

// The rates choose the kind of every pooled item. A prefix must stand at the start of a property's
// name ("MyItemSpawnRate1" sets nothing), and the kind after it is read like a standard integer
// conversion ("ItemTexture +1" and "ItemSpawnRate 1st" are kind 1's).
TEST_F(ObjectFactoryTest, ASpawnersRatesChooseTheKindOfEveryPooledItem)
{
    struct Case
    {
        const char* name;
        bool bombs;
        // 0 where the map leaves it to the default.
        float density;
    };
    for (const Case& expected : {Case{"BombsOnly", true, 3.5f}, Case{"RocksOnly", false, 1.5f},
                                 Case{"BlankAndSign", true, 0.f}})
    {
        SCOPED_TRACE(expected.name);
        const StreamCapture errors(sf::err());
        const auto spawner = build("spawners.tmj", expected.name);
        ASSERT_NE(spawner, nullptr);
        EXPECT_EQ(messagesAbout(errors.text(), expected.name), 0) << errors.text();
        EXPECT_EQ(componentKinds(*spawner), (std::vector<std::string>{"Spawner"}));
        const auto& items = spawner->getComponent<ItemSpawnerComponent>()->getPool().getItems();
        ASSERT_EQ(items.size(), 60u);
        for (const auto& item : items)
        {
            ASSERT_NE(item, nullptr);
            ASSERT_EQ(item->getComponent<BombComponent>() != nullptr, expected.bombs) << item->getId();
            ASSERT_EQ(item->getComponent<RockComponent>() != nullptr, !expected.bombs) << item->getId();
            if (expected.density > 0.f)
            {
                EXPECT_FLOAT_EQ(item->getComponent<ColliderComponent>()->getFixture()->GetDensity(), expected.density);
            }
            if (expected.bombs)
            {
                EXPECT_EQ(item->getId().rfind("Bomb_", 0), 0u);
                EXPECT_EQ(item->getComponent<AnimationRenderComponent>()->getTexture().getSize(), sf::Vector2u(64, 32));
            }
            else
            {
                const auto rock = item->getComponent<SpriteRenderComponent>();
                EXPECT_EQ(rock->getSprite().getTextureRect(), sf::IntRect(16, 0, 16, 16));
            }
        }
    }
    EXPECT_EQ(registered("BombsOnly")->getPosition(), sf::Vector2f(200.f, 40.f));
}

TEST_F(ObjectFactoryTest, WithoutAnyItemTextureStaysABareObject)
{
    for (const char* name : {"NoTexture", "PrefixInside"})
    {
        SCOPED_TRACE(name);
        const StreamCapture errors(sf::err());
        const auto spawner = build("spawners.tmj", name);
        ASSERT_NE(spawner, nullptr);
        EXPECT_TRUE(spawner->getComponents().empty());
        EXPECT_EQ(messagesAbout(errors.text(), name), 0) << "a name not starting with a prefix is no spawner property";
    }
    EXPECT_EQ(m_createdIds, (std::vector<std::string>{"NoTexture", "PrefixInside"})) << "no items were pooled";
}

// Each broken object of the map, built alone: every fault is named in one message about it.
struct BrokenObject
{
    const char* name;
    std::vector<std::string> messages;
};

TEST_F(ObjectFactoryTest, EveryFaultOfABrokenObjectIsSkippedWithOneMessage)
{
    const auto wrongType = [](const char* property, const char* type, const char* expected) {
        return "\"" + std::string(property) + "\" is of type " + type + ", expected " + expected;
    };
    const auto noKind = [](const char* property) {
        return "\"" + std::string(property) + "\" must end in the item kind 0 or 1";
    };
    const std::string badScale = "\"Scale\" must be a finite number greater than 0";
    const std::string notCreated = "object not created";
    for (const BrokenObject& expected :
         {BrokenObject{"WrongTypes",
                       {wrongType("Texture", "file", "string"), wrongType("TextureRectLeft", "float", "int"),
                        wrongType("TextureRectTop", "string", "int"), wrongType("InputPlayerIdx", "string", "int"),
                        wrongType("Density", "int", "float"), wrongType("Health", "float", "int"),
                        wrongType("Scale", "bool", "float")}},
          BrokenObject{"BadScale", {badScale}}, BrokenObject{"NegativeScale", {badScale}},
          BrokenObject{"EmptyTexture", {"property \"Texture\" names no file; ignored"}},
          BrokenObject{"WrongTriggerType", {wrongType("type", "int", "string")}},
          BrokenObject{"BadIndices",
                       {noKind("ItemTextureX"), noKind("ItemTexture2"), noKind("ItemTexture-1"), noKind("ItemTexture"),
                        noKind("ItemDensity99999999999999999999"), wrongType("ItemSpawnRate0", "int", "float"),
                        wrongType("ItemTexture0", "file", "string")}},
          // Without area or with a negative density nothing is created at all.
          BrokenObject{"FlatWall", {notCreated}}, BrokenObject{"FlatTrigger", {notCreated}},
          BrokenObject{"ThinPlayer", {notCreated}}, BrokenObject{"HeavyNothing", {notCreated}},
          BrokenObject{"NegativeItems", {notCreated}}})
    {
        SCOPED_TRACE(expected.name);
        const StreamCapture errors(sf::err());
        const bool created = build("malformed.tmj", expected.name) != nullptr;
        EXPECT_EQ(created, expected.messages.front() != notCreated);
        const std::string text = errors.text();
        EXPECT_EQ(messagesAbout(text, expected.name), static_cast<int>(expected.messages.size())) << text;
        for (const std::string& message : expected.messages)
            EXPECT_EQ(countLines(text, message), 1) << message;
    }
}

// Loading goes on past every broken object, and each is built with what was left of it.
TEST_F(ObjectFactoryTest, LoadingGoesOnPastEveryBrokenObjectWithItsDefaults)
{
    const StreamCapture errors(sf::err());
    loadAll("malformed.tmj");
    EXPECT_EQ(m_createdIds, (std::vector<std::string>{"WrongTypes", "BadScale", "NegativeScale", "EmptyTexture",
                                                      "WrongTriggerType", "BadIndices", "Survivor"}));
    EXPECT_NE(registered("Survivor"), nullptr);

    const auto wrongTypes = registered("WrongTypes");
    EXPECT_EQ(componentKinds(*wrongTypes), (std::vector<std::string>{"RigidBody", "Collider", "Fall", "Interact"}));
    EXPECT_FLOAT_EQ(wrongTypes->getComponent<ColliderComponent>()->getFixture()->GetDensity(), 1.f);
    for (const char* name : {"BadScale", "NegativeScale"})
    {
        const Animation* standing = registered(name)->getComponent<AnimationRenderComponent>()->getCurrentAnimation();
        ASSERT_NE(standing, nullptr) << name;
        EXPECT_EQ(standing->scale, sf::Vector2f(1.f, 1.f)) << name;
    }
    EXPECT_EQ(registered("EmptyTexture")->getComponent<AnimationRenderComponent>(), nullptr);
    const auto trigger = registered("WrongTriggerType")->getComponent<ColliderComponent>();
    EXPECT_EQ(trigger->getFixture()->GetFilterData().categoryBits, 0x0001) << "the plain trigger's category";
    EXPECT_TRUE(registered("BadIndices")->getComponents().empty()) << "no texture was accepted, so nothing is pooled";
}

TEST_F(ObjectFactoryTest, NonFiniteValuesNeverReachThePhysics)
{
    TiledLayer layer;
    layer.name = "Objects";
    TiledObject object = mapObject("Collider", "Ghost", {std::numeric_limits<float>::quiet_NaN(), 0.f}, {32.f, 32.f});

    const StreamCapture errors(sf::err());
    createObject(object, layer, m_images.path(), m_sprites);
    object.x = 0;
    object.width = std::numeric_limits<float>::infinity();
    createObject(object, layer, m_images.path(), m_sprites);
    object = mapObject("Sprite", "Ghost", {0.f, 0.f}, {16.f, 16.f},
                       {property("Density", std::numeric_limits<float>::quiet_NaN())});
    createObject(object, layer, m_images.path(), m_sprites);

    EXPECT_EQ(messagesAbout(errors.text(), "Ghost"), 3) << errors.text();
    EXPECT_TRUE(m_createdIds.empty());

    object.properties = {property("Scale", std::numeric_limits<float>::infinity())};
    const auto player = createSprite(object, "Objects", m_images.path(), m_sprites);
    ASSERT_NE(player, nullptr) << "a bad scale costs the scale only";
    EXPECT_EQ(countLines(errors.text(), "\"Scale\" must be a finite number greater than 0"), 1);
}

TEST_F(ObjectFactoryTest, LayersAndObjectsAreVisitedInFileOrderAndOnlyKnownClassesAreBuilt)
{
    const StreamCapture errors(sf::err());
    loadAll("order.tmj");
    EXPECT_EQ(m_createdIds, (std::vector<std::string>{"First", "Second", "Third", "Fourth"}));
    EXPECT_EQ(registered("Decoration"), nullptr);
    EXPECT_EQ(registered("LowerSprite"), nullptr) << "class names are case-sensitive";
    EXPECT_EQ(countLines(errors.text(), "Map object"), 0) << "unknown classes are skipped silently";
}

TEST_F(ObjectFactoryTest, EveryCreatedObjectIsAnnouncedOnceWithTheObjectItself)
{
    loadAll("sprites.tmj");
    ASSERT_EQ(m_created.size(), 8u);
    for (const auto& object : m_created)
        EXPECT_EQ(registered(object->getId()), object);
}
