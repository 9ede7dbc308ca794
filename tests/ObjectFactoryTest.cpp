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
        m_createdIds.clear();
        m_creationListener = EventBus::getInstance().addListener(
            GameObjectCreateEvent::Type, [this](std::shared_ptr<IEvent> event) {
                m_createdIds.push_back(static_cast<GameObjectCreateEvent&>(*event).getData()->getId());
            });
    }

    void TearDown() override
    {
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
    std::vector<std::string> m_createdIds;
    ListenerId m_creationListener = 0;
};

} // namespace

TEST_F(ObjectFactoryTest, WithoutPropertiesGetsBodyColliderFallAndInteractionForPlayerZeroOnly)
{
    const auto bare = build("sprites.tmj", "Bare");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(componentKinds(*bare), (std::vector<std::string>{"RigidBody", "Collider", "Fall", "Interact"}));
    EXPECT_EQ(bare->getComponent<ItemInteractComponent>()->getPlayerIndex(), 0);
    EXPECT_TRUE(m_sprites.getLayer("Objects").empty()) << "a player without texture is not drawn";
    EXPECT_EQ(bare->getPosition(), sf::Vector2f(100.f, 200.f));
}

TEST_F(ObjectFactoryTest, WithEveryPropertyGetsTheFullComponentListInUpdateOrder)
{
    const auto player = build("sprites.tmj", "Complete");
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(componentKinds(*player), (std::vector<std::string>{"Health", "Animation", "RigidBody", "Collider",
                                                                  "Fall", "Interact", "Move"}));
    EXPECT_EQ(player->getComponent<HealthComponent>()->getHealth(), 3);
    EXPECT_EQ(player->getComponent<ItemInteractComponent>()->getPlayerIndex(), 1);
    EXPECT_EQ(player->getComponent<PlayerFallComponent>()->getRespawnPosition(), sf::Vector2f(320.f, 160.f));
}

TEST_F(ObjectFactoryTest, HealthZeroStillAddsHealthButNegativeHealthDoesNot)
{
    const auto zero = build("sprites.tmj", "HealthZero");
    const auto negative = build("sprites.tmj", "HealthNegative");
    ASSERT_NE(zero, nullptr);
    ASSERT_NE(negative, nullptr);
    ASSERT_NE(zero->getComponent<HealthComponent>(), nullptr);
    EXPECT_EQ(zero->getComponent<HealthComponent>()->getHealth(), 0);
    EXPECT_EQ(negative->getComponent<HealthComponent>(), nullptr);
}

TEST_F(ObjectFactoryTest, OnlyAGivenInputPlayerIdxMakesThePlayerWalk)
{
    const auto walker = build("sprites.tmj", "Walker");
    const auto bare = build("sprites.tmj", "Bare");
    ASSERT_NE(walker, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_NE(walker->getComponent<PlayerMoveComponent>(), nullptr);
    EXPECT_EQ(bare->getComponent<PlayerMoveComponent>(), nullptr);
    EXPECT_EQ(walker->getComponent<ItemInteractComponent>()->getPlayerIndex(), 0);
    EXPECT_EQ(bare->getComponent<ItemInteractComponent>()->getPlayerIndex(), 0);
}

TEST_F(ObjectFactoryTest, AnInputPlayerIdxWithoutKeyBindingsIsAccepted)
{
    const StreamCapture errors(sf::err());
    const auto third = build("sprites.tmj", "ThirdPlayer");
    ASSERT_NE(third, nullptr);
    EXPECT_NE(third->getComponent<PlayerMoveComponent>(), nullptr);
    EXPECT_EQ(third->getComponent<ItemInteractComponent>()->getPlayerIndex(), 2);
    EXPECT_EQ(messagesAbout(errors.text(), "ThirdPlayer"), 0);
}

TEST_F(ObjectFactoryTest, BodyIsADynamicBoxCentredOnTheMapPositionWithTheDensityGiven)
{
    const auto player = build("sprites.tmj", "Complete");
    ASSERT_NE(player, nullptr);
    const auto collider = player->getComponent<ColliderComponent>();
    ASSERT_NE(collider->getFixture(), nullptr);
    const b2Fixture& fixture = *collider->getFixture();

    EXPECT_EQ(fixture.GetBody()->GetType(), b2_dynamicBody);
    expectBounds(*collider, 320.f - 8.f, 160.f - 8.f, 16.f, 16.f);
    EXPECT_FLOAT_EQ(fixture.GetDensity(), 2.5f);
    EXPECT_FLOAT_EQ(fixture.GetFriction(), 0.2f);
    EXPECT_FLOAT_EQ(fixture.GetRestitution(), 0.f);
    EXPECT_FLOAT_EQ(fixture.GetRestitutionThreshold(), 1.f);
    EXPECT_FALSE(fixture.IsSensor());
    EXPECT_EQ(fixture.GetFilterData().categoryBits, 0x0001);
    EXPECT_EQ(fixture.GetFilterData().maskBits, 0xFFFF);
    EXPECT_EQ(fixture.GetFilterData().groupIndex, 0);
}

TEST_F(ObjectFactoryTest, DensityDefaultsToOne)
{
    const auto bare = build("sprites.tmj", "Bare");
    ASSERT_NE(bare, nullptr);
    EXPECT_FLOAT_EQ(bare->getComponent<ColliderComponent>()->getFixture()->GetDensity(), 1.f);
    expectBounds(*bare->getComponent<ColliderComponent>(), 100.f - 8.f, 200.f - 12.f, 16.f, 24.f);
}

TEST_F(ObjectFactoryTest, FractionalMapCoordinatesAreCutToWholePixels)
{
    const auto player = build("sprites.tmj", "FractionalPlace");
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->getPosition(), sf::Vector2f(40.f, 70.f));
    expectBounds(*player->getComponent<ColliderComponent>(), 40.f - 8.f, 70.f - 8.f, 16.f, 16.f);
}

TEST_F(ObjectFactoryTest, TexturedPlayerIsDrawnOnItsLayerStandingFacingDown)
{
    const auto player = build("sprites.tmj", "Complete");
    ASSERT_NE(player, nullptr);
    const auto animation = player->getComponent<AnimationRenderComponent>();
    ASSERT_NE(animation, nullptr);

    const auto layer = m_sprites.getLayer("Objects");
    ASSERT_EQ(layer.size(), 1u);
    EXPECT_EQ(layer.front(), animation.get());
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

TEST_F(ObjectFactoryTest, ColliderIsAStaticSolidWallCoveringItsRectangleFromTheTopLeft)
{
    const auto wall = build("walls.tmj", "Wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(componentKinds(*wall), (std::vector<std::string>{"RigidBody", "Collider"}));
    const auto collider = wall->getComponent<ColliderComponent>();
    const b2Fixture& fixture = *collider->getFixture();
    EXPECT_EQ(fixture.GetBody()->GetType(), b2_staticBody);
    expectBounds(*collider, 64.f, 96.f, 128.f, 32.f);
    EXPECT_FALSE(fixture.IsSensor());
    EXPECT_EQ(fixture.GetFilterData().categoryBits, 0x0008);
    EXPECT_EQ(fixture.GetFilterData().maskBits, 0xFFFF);
    EXPECT_FLOAT_EQ(fixture.GetFriction(), 0.2f);
    EXPECT_FLOAT_EQ(fixture.GetDensity(), 0.f);
    EXPECT_TRUE(m_sprites.getLayer("Objects").empty());
}

TEST_F(ObjectFactoryTest, ColliderIgnoresItsProperties)
{
    const auto wall = build("walls.tmj", "WallWithProperties");
    ASSERT_NE(wall, nullptr);
    const b2Fixture& fixture = *wall->getComponent<ColliderComponent>()->getFixture();
    EXPECT_EQ(fixture.GetFilterData().categoryBits, 0x0008);
    EXPECT_FLOAT_EQ(fixture.GetDensity(), 0.f);
}

TEST_F(ObjectFactoryTest, TriggerIsAStaticSensorCoveringItsRectangle)
{
    const auto chasm = build("walls.tmj", "Chasm");
    ASSERT_NE(chasm, nullptr);
    EXPECT_EQ(componentKinds(*chasm), (std::vector<std::string>{"RigidBody", "Collider"}));
    const auto collider = chasm->getComponent<ColliderComponent>();
    EXPECT_EQ(collider->getFixture()->GetBody()->GetType(), b2_staticBody);
    EXPECT_TRUE(collider->getFixture()->IsSensor());
    expectBounds(*collider, 300.f, 30.f, 60.f, 90.f);
}

TEST_F(ObjectFactoryTest, TriggerCategoryFollowsTheExactTypeName)
{
    struct Case
    {
        const char* name;
        std::uint16_t category;
    };
    for (const Case& expected : {Case{"Chasm", 0x0004}, Case{"Stream", 22}, Case{"LowerCase", 0x0001},
                                 Case{"Untyped", 0x0001}, Case{"Other", 0x0001}})
    {
        SCOPED_TRACE(expected.name);
        const auto trigger = build("walls.tmj", expected.name);
        ASSERT_NE(trigger, nullptr);
        const b2Filter filter = trigger->getComponent<ColliderComponent>()->getFixture()->GetFilterData();
        EXPECT_EQ(filter.categoryBits, expected.category);
        EXPECT_EQ(filter.maskBits, 0xFFFF);
    }
}

TEST_F(ObjectFactoryTest, TwoCollidersWithOneNameAreBothBuiltAndTheRegistryKeepsTheLater)
{
    loadAll("walls.tmj");
    EXPECT_EQ(std::count(m_createdIds.begin(), m_createdIds.end(), "Twin"), 2);
    const auto twin = registered("Twin");
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->getPosition(), sf::Vector2f(500.f, 600.f));
}

TEST_F(ObjectFactoryTest, KindOneRateAloneFillsThePoolWithBombsOfTheGivenDensity)
{
    const auto spawner = build("spawners.tmj", "BombsOnly");
    ASSERT_NE(spawner, nullptr);
    EXPECT_EQ(componentKinds(*spawner), (std::vector<std::string>{"Spawner"}));
    EXPECT_EQ(spawner->getPosition(), sf::Vector2f(200.f, 40.f));
    const auto& items = spawner->getComponent<ItemSpawnerComponent>()->getPool().getItems();
    ASSERT_EQ(items.size(), 60u);
    for (const auto& item : items)
    {
        ASSERT_NE(item, nullptr);
        ASSERT_NE(item->getComponent<BombComponent>(), nullptr) << item->getId();
        EXPECT_EQ(item->getId().rfind("Bomb_", 0), 0u);
        EXPECT_FLOAT_EQ(item->getComponent<ColliderComponent>()->getFixture()->GetDensity(), 3.5f);
        EXPECT_EQ(item->getComponent<AnimationRenderComponent>()->getTexture().getSize(), sf::Vector2u(64, 32));
    }
}

TEST_F(ObjectFactoryTest, RockKindGetsItsTextureRectangleAndAPrefixMustStandAtTheStart)
{
    const StreamCapture errors(sf::err());
    const auto spawner = build("spawners.tmj", "RocksOnly");
    ASSERT_NE(spawner, nullptr);
    EXPECT_EQ(messagesAbout(errors.text(), "RocksOnly"), 0) << errors.text();
    const auto& items = spawner->getComponent<ItemSpawnerComponent>()->getPool().getItems();
    ASSERT_EQ(items.size(), 60u);
    for (const auto& item : items)
    {
        ASSERT_NE(item->getComponent<RockComponent>(), nullptr)
            << item->getId() << ": \"MyItemSpawnRate1\" must not set the bomb's rate";
        const auto sprite = item->getComponent<SpriteRenderComponent>();
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(sprite->getSprite().getTextureRect(), sf::IntRect(16, 0, 16, 16));
        EXPECT_FLOAT_EQ(item->getComponent<ColliderComponent>()->getFixture()->GetDensity(), 1.5f);
    }
}

TEST_F(ObjectFactoryTest, KindIndexIsReadLikeAStandardIntegerConversion)
{
    const StreamCapture errors(sf::err());
    const auto spawner = build("spawners.tmj", "BlankAndSign");
    ASSERT_NE(spawner, nullptr);
    EXPECT_EQ(messagesAbout(errors.text(), "BlankAndSign"), 0) << errors.text();
    const auto component = spawner->getComponent<ItemSpawnerComponent>();
    ASSERT_NE(component, nullptr) << "\"ItemTexture +1\" names kind 1's texture";
    for (const auto& item : component->getPool().getItems())
        EXPECT_NE(item->getComponent<BombComponent>(), nullptr) << "\"ItemSpawnRate 1st\" sets kind 1's rate";
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

TEST_F(ObjectFactoryTest, EveryPropertyOfTheWrongTypeIsSkippedWithOneMessage)
{
    const StreamCapture errors(sf::err());
    const auto player = build("malformed.tmj", "WrongTypes");
    ASSERT_NE(player, nullptr);
    const std::string text = errors.text();
    EXPECT_EQ(messagesAbout(text, "WrongTypes"), 7) << text;
    for (const char* expectation :
         {"\"Texture\" is of type file, expected string", "\"TextureRectLeft\" is of type float, expected int",
          "\"TextureRectTop\" is of type string, expected int", "\"InputPlayerIdx\" is of type string, expected int",
          "\"Density\" is of type int, expected float", "\"Health\" is of type float, expected int",
          "\"Scale\" is of type bool, expected float"})
        EXPECT_EQ(countLines(text, expectation), 1) << expectation;

    EXPECT_EQ(componentKinds(*player), (std::vector<std::string>{"RigidBody", "Collider", "Fall", "Interact"}))
        << "every value keeps its default";
    EXPECT_FLOAT_EQ(player->getComponent<ColliderComponent>()->getFixture()->GetDensity(), 1.f);
}

TEST_F(ObjectFactoryTest, AScaleThatIsNotPositiveIsRejectedAndTheDefaultKept)
{
    for (const char* name : {"BadScale", "NegativeScale"})
    {
        SCOPED_TRACE(name);
        const StreamCapture errors(sf::err());
        const auto player = build("malformed.tmj", name);
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(messagesAbout(errors.text(), name), 1) << errors.text();
        EXPECT_EQ(countLines(errors.text(), "\"Scale\" must be a finite number greater than 0"), 1);
        const Animation* standing = player->getComponent<AnimationRenderComponent>()->getCurrentAnimation();
        ASSERT_NE(standing, nullptr);
        EXPECT_EQ(standing->scale, sf::Vector2f(1.f, 1.f));
    }
}

TEST_F(ObjectFactoryTest, AnEmptyTextureNameLeavesThePlayerUndrawn)
{
    const StreamCapture errors(sf::err());
    const auto player = build("malformed.tmj", "EmptyTexture");
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(messagesAbout(errors.text(), "EmptyTexture"), 1) << errors.text();
    EXPECT_EQ(player->getComponent<AnimationRenderComponent>(), nullptr);
}

TEST_F(ObjectFactoryTest, ATriggerTypeThatIsNoStringGivesThePlainCategory)
{
    const StreamCapture errors(sf::err());
    const auto trigger = build("malformed.tmj", "WrongTriggerType");
    ASSERT_NE(trigger, nullptr);
    EXPECT_EQ(countLines(errors.text(), "\"type\" is of type int, expected string"), 1) << errors.text();
    EXPECT_EQ(trigger->getComponent<ColliderComponent>()->getFixture()->GetFilterData().categoryBits, 0x0001);
}

TEST_F(ObjectFactoryTest, SpawnerPropertiesWithoutKindZeroOrOneAreSkippedWithOneMessageEach)
{
    const StreamCapture errors(sf::err());
    const auto spawner = build("malformed.tmj", "BadIndices");
    ASSERT_NE(spawner, nullptr);
    const std::string text = errors.text();
    EXPECT_EQ(messagesAbout(text, "BadIndices"), 7) << text;
    for (const char* name : {"\"ItemTextureX\"", "\"ItemTexture2\"", "\"ItemTexture-1\"", "\"ItemTexture\"",
                             "\"ItemDensity99999999999999999999\""})
        EXPECT_EQ(countLines(text, std::string(name) + " must end in the item kind 0 or 1"), 1) << name;
    EXPECT_EQ(countLines(text, "\"ItemSpawnRate0\" is of type int, expected float"), 1);
    EXPECT_EQ(countLines(text, "\"ItemTexture0\" is of type file, expected string"), 1);
    EXPECT_TRUE(spawner->getComponents().empty()) << "no texture was accepted, so nothing is pooled";
}

TEST_F(ObjectFactoryTest, ObjectsWithoutAreaOrWithNegativeDensityAreNotCreated)
{
    for (const char* name : {"FlatWall", "FlatTrigger", "ThinPlayer", "HeavyNothing", "NegativeItems"})
    {
        SCOPED_TRACE(name);
        const StreamCapture errors(sf::err());
        EXPECT_EQ(build("malformed.tmj", name), nullptr);
        EXPECT_EQ(messagesAbout(errors.text(), name), 1) << errors.text();
        EXPECT_EQ(countLines(errors.text(), "object not created"), 1);
    }
    EXPECT_TRUE(m_createdIds.empty());
}

TEST_F(ObjectFactoryTest, LoadingGoesOnPastEveryBrokenObject)
{
    const StreamCapture errors(sf::err());
    loadAll("malformed.tmj");
    EXPECT_EQ(m_createdIds, (std::vector<std::string>{"WrongTypes", "BadScale", "NegativeScale", "EmptyTexture",
                                                      "WrongTriggerType", "BadIndices", "Survivor"}));
    EXPECT_NE(registered("Survivor"), nullptr);
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
    std::vector<std::shared_ptr<GameObject>> announced;
    const ListenerId listener =
        EventBus::getInstance().addListener(GameObjectCreateEvent::Type, [&announced](std::shared_ptr<IEvent> event) {
            announced.push_back(static_cast<GameObjectCreateEvent&>(*event).getData());
        });
    loadAll("sprites.tmj");
    EventBus::getInstance().removeListener(listener);

    ASSERT_EQ(announced.size(), 8u);
    for (const auto& object : announced)
        EXPECT_EQ(registered(object->getId()), object);
}
