// Item pools and the spawn clock: pool building, kinds drawn from the spawn rates, names across
// spawners, and the once-a-second spawn that skips slots still in play.

#include "ItemSpawnerComponent.h"

#include "BombComponent.h"
#include "SpriteRenderComponent.h"
#include "MatchKit.h"

#include <limits>
#include <typeinfo>

using namespace zelk;
using namespace zelk::test;

namespace
{

const sf::Vector2f SPAWNER_POSITION(500.f, 100.f);

// A spawner object as the map's factory makes one, with a pool of the given size.
struct Spawner
{
    Spawner(MatchScene& scene, std::array<float, 2> rates, int poolSize = 60,
            const std::string& id = "Spawner")
        : object(std::make_shared<GameObject>(id))
    {
        object->setPosition(SPAWNER_POSITION);
        component = object->addComponent<ItemSpawnerComponent>(*object, poolSize, testWindow(),
 scene.itemTextures().paths(),
                                                               ItemTextures::rects(), std::array<float, 2>{2.f, 3.f},
                                                               rates, "Objects");
        object->init();
        scene.objects().addGameObject(object);
    }

    const std::vector<std::shared_ptr<GameObject>>& items() const { return component->getPool().getItems(); }

    int inPlay() const
    {
        int count = 0;
        for (const auto& item : items())
            count += item->isActive() ? 1 : 0;
        return count;
    }

    int countOf(const std::string& prefix) const
    {
        int count = 0;
        for (const auto& item : items())
            count += item->getId().rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }

    std::shared_ptr<GameObject> object;
    std::shared_ptr<ItemSpawnerComponent> component;
};

int countLines(const std::string& text, const std::string& line)
{
    int count = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size()))
        ++count;
    return count;
}

// The number an item's name carries ("Rock_12" -> 12).
int numberOf(const std::string& id)
{
    return std::stoi(id.substr(id.find('_') + 1));
}

bool isItemNamed(const std::string& id, int number)
{
    return id == "Rock_" + std::to_string(number) || id == "Bomb_" + std::to_string(number);
}

template <typename T>
bool holds(const std::shared_ptr<IComponent>& component)
{
    return std::dynamic_pointer_cast<T>(component) != nullptr;
}

// Every case plays in a match scene of its own, with what the pools print captured.
class ItemSpawnerComponentTest : public ::testing::Test
{
protected:
    MatchScene scene;
    StreamCapture out{std::cout}; // the pools' size lines
};

} // namespace

TEST_F(ItemSpawnerComponentTest, PoolsHoldSixtyParkedAnnouncedItemsNumberedWithOneCounterAndSaySoOnce)
{
    Spawner spawner(scene, {0.5f, 0.5f}, 60, "Spawner0");
    Spawner second(scene, {0.5f, 0.5f}, 60, "Spawner1");

    EXPECT_EQ(countLines(out.text(), "## pool-size: 60\n"), 2);
    ASSERT_EQ(spawner.items().size(), 60u);
    // The counter is process-wide; numbers run on from wherever it stands.
    const int firstNumber = numberOf(spawner.items().front()->getId());
    for (std::size_t i = 0; i < spawner.items().size(); ++i)
    {
        const auto& item = spawner.items()[i];
        EXPECT_TRUE(isItemNamed(item->getId(), firstNumber + static_cast<int>(i))) << item->getId();
        EXPECT_FALSE(item->isActive());
        EXPECT_FALSE(bodyOf(*item)->IsEnabled());
        EXPECT_EQ(item->getPosition(), sf::Vector2f(0.f, 0.f));
        EXPECT_EQ(scene.objects().getGameObjects().count(item->getId()), 1u) << "announced to the registry";
    }
    EXPECT_TRUE(isItemNamed(second.items().front()->getId(), firstNumber + 60)) << second.items().front()->getId();
    EXPECT_TRUE(isItemNamed(second.items().back()->getId(), firstNumber + 119)) << second.items().back()->getId();
    EXPECT_EQ(scene.objects().getGameObjects().size(), 120u + 2u) << "names never collide in the registry";

    // Parked items are neither updated nor moved by the world.
    scene.frames(5, 0.1f);
    for (const auto& item : spawner.items())
        EXPECT_EQ(item->getPosition(), sf::Vector2f(0.f, 0.f));
}

TEST_F(ItemSpawnerComponentTest, RocksAndBombsAreBuiltComponentByComponent)
{
    Spawner rocks(scene, {1.f, 0.f}, 1, "RockSpawner");
    Spawner bombs(scene, {0.f, 1.f}, 1, "BombSpawner");

    const auto& rock = rocks.items().front()->getComponents();
    ASSERT_EQ(rock.size(), 4u);
    auto part = rock.begin();
    EXPECT_TRUE(holds<SpriteRenderComponent>(*part++));
    EXPECT_TRUE(holds<RigidBodyComponent>(*part++));
    EXPECT_TRUE(holds<RockComponent>(*part++));
    EXPECT_TRUE(holds<ColliderComponent>(*part++));
    const sf::Sprite& sprite = rocks.items().front()->getComponent<SpriteRenderComponent>()->getSprite();
    EXPECT_EQ(sprite.getTextureRect(), sf::IntRect(0, 0, 16, 16));
    EXPECT_EQ(sprite.getOrigin(), sf::Vector2f(8.f, 8.f));

    const auto& bomb = bombs.items().front()->getComponents();
    ASSERT_EQ(bomb.size(), 4u);
    part = bomb.begin();
    EXPECT_TRUE(holds<AnimationRenderComponent>(*part++));
    EXPECT_TRUE(holds<RigidBodyComponent>(*part++));
    EXPECT_TRUE(holds<BombComponent>(*part++));
    EXPECT_TRUE(holds<ColliderComponent>(*part++));
    auto animation = bombs.items().front()->getComponent<AnimationRenderComponent>();
    ASSERT_NE(animation->getCurrentAnimation(), nullptr);
    EXPECT_EQ(animation->getCurrentType(), 0);
    EXPECT_EQ(animation->getCurrentDirection(), 4);
    EXPECT_EQ(animation->getCurrentAnimation()->frames.size(), 4u);
    EXPECT_EQ(animation->getCurrentAnimation()->frames[3], sf::IntRect(48, 0, 16, 16));

    for (const auto* spawner : {&rocks, &bombs})
    {
        const b2Fixture* fixture = fixtureOf(*spawner->items().front());
        ASSERT_NE(fixture, nullptr);
        EXPECT_EQ(fixture->GetShape()->GetType(), b2Shape::e_circle);
        EXPECT_FLOAT_EQ(fixture->GetShape()->m_radius, 0.5f);
        EXPECT_EQ(fixture->GetFilterData().categoryBits, CollisionCategory::ITEM);
        EXPECT_EQ(fixture->GetFilterData().maskBits, 0xFFE1);
        EXPECT_FALSE(fixture->IsSensor());
        EXPECT_FLOAT_EQ(fixture->GetFriction(), 0.2f);
        EXPECT_EQ(bodyOf(*spawner->items().front())->GetType(), b2_dynamicBody);
    }
    EXPECT_FLOAT_EQ(fixtureOf(*rocks.items().front())->GetDensity(), 2.f);
    EXPECT_FLOAT_EQ(fixtureOf(*bombs.items().front())->GetDensity(), 3.f);
}

TEST_F(ItemSpawnerComponentTest, AHugeBombFrameFromTheMapStaysInRangeInsteadOfOverflowing)
{
    const int huge = std::numeric_limits<int>::max();
    ItemPool pool(1, testWindow(), scene.itemTextures().paths(), {sf::IntRect(0, 0, 16, 16), {0, 0, huge, huge}},
                  {1.f, 1.f}, {0.f, 1.f}, "Objects");
    ASSERT_EQ(pool.getItems().size(), 1u);
    const Animation* idle = pool.getItems().front()->getComponent<AnimationRenderComponent>()->getCurrentAnimation();
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->frames.back().left, huge);
}

TEST_F(ItemSpawnerComponentTest, RatesGiveTheKindsAndAreScaledSoEverySlotGetsOne)
{
    Spawner rocks(scene, {1.f, 0.f}, 60, "RockSpawner");
    // Only a draw of exactly 0 could give a rock here.
    Spawner bombs(scene, {0.f, 1.f}, 60, "BombSpawner");
    Spawner onlyRocks(scene, {0.3f, 0.f}, 60, "A");
    Spawner onlyBombs(scene, {0.f, 0.3f}, 60, "B");
    Spawner both(scene, {0.1f, 0.1f}, 60, "C");
    Spawner none(scene, {0.f, 0.f}, 60, "D");
    Spawner broken(scene, {std::numeric_limits<float>::quiet_NaN(), -1.f}, 60, "E");

    EXPECT_EQ(rocks.countOf("Rock_"), 60);
    EXPECT_EQ(bombs.countOf("Bomb_"), 60);
    EXPECT_EQ(onlyRocks.countOf("Rock_"), 60);
    EXPECT_EQ(onlyBombs.countOf("Bomb_"), 60);
    EXPECT_EQ(both.countOf("Rock_") + both.countOf("Bomb_"), 60);
    EXPECT_GT(both.countOf("Rock_"), 0);
    EXPECT_GT(both.countOf("Bomb_"), 0);
    EXPECT_EQ(none.countOf("Rock_"), 60) << "no usable rate: rocks";
    EXPECT_EQ(broken.countOf("Rock_"), 60) << "no usable rate: rocks";

    using Thresholds = std::array<float, 2>;
    EXPECT_EQ(ItemPool::kindThresholds({0.25f, 0.25f}), (Thresholds{0.5f, 1.f}));
    EXPECT_EQ(ItemPool::kindThresholds({0.1f, 0.2f}).back(), 1.f) << "a draw of 1 still finds a kind";
    EXPECT_EQ(ItemPool::kindThresholds({0.f, 0.f}), (Thresholds{1.f, 1.f}));
    // Rates that already cover every draw are used as they are.
    EXPECT_EQ(ItemPool::kindThresholds({0.7f, 0.7f}), (Thresholds{0.7f, 1.4f}));
}

TEST_F(ItemSpawnerComponentTest, ClockSpawnsOncePerSecondAtTheSpawnerWithASmallOffset)
{
    Spawner spawner(scene, {1.f, 0.f});
    const auto& first = spawner.items()[0];

    scene.frames(9, 0.1f);
    EXPECT_FALSE(first->isActive());
    scene.frame(0.1f + 1e-4f);
    ASSERT_TRUE(first->isActive());
    EXPECT_EQ(spawner.inPlay(), 1);

    const sf::Vector2f position = first->getPosition();
    EXPECT_GE(position.x, SPAWNER_POSITION.x - 20.f - 1e-3f);
    EXPECT_LE(position.x, SPAWNER_POSITION.x + 20.f + 1e-3f);
    // Whole pixels of offset.
    EXPECT_NEAR(position.x, std::round(position.x), 1e-3f);
    EXPECT_NEAR(position.y, SPAWNER_POSITION.y, 1e-3f);
    b2Body* body = bodyOf(*first);
    EXPECT_TRUE(body->IsEnabled());
    EXPECT_TRUE(isNear(pixelVelocity(*body), {0.f, 100.f}));
    EXPECT_FLOAT_EQ(body->GetGravityScale(), 0.f);
    EXPECT_TRUE(fixtureOf(*first)->IsSensor());

    scene.frame(0.5f);
    EXPECT_TRUE(isNear(first->getPosition(), position + sf::Vector2f(0.f, 50.f)));
    EXPECT_FALSE(spawner.items()[1]->isActive());
    scene.frame(0.5f);
    EXPECT_TRUE(spawner.items()[1]->isActive());
}

TEST_F(ItemSpawnerComponentTest, LongFrameMakesExactlyOneAttemptAndDropsTheExcess)
{
    Spawner spawner(scene, {1.f, 0.f});

    scene.frame(2.5f);
    EXPECT_EQ(spawner.inPlay(), 1);
    EXPECT_TRUE(spawner.items()[0]->isActive());

    // The clock starts again from zero.
    scene.frame(0.9f);
    EXPECT_EQ(spawner.inPlay(), 1);
    scene.frame(0.1f + 1e-4f);
    EXPECT_EQ(spawner.inPlay(), 2);
}

TEST_F(ItemSpawnerComponentTest, SlotStillInPlaySkipsThatSecondAndTheNextSecondTriesTheNextSlot)
{
    Spawner spawner(scene, {1.f, 0.f}, 2);
    const auto& first = spawner.items()[0];
    const auto& second = spawner.items()[1];

    scene.frame(1.f);
    scene.frame(1.f);
    ASSERT_TRUE(first->isActive());
    ASSERT_TRUE(second->isActive());
    second->getComponent<ItemComponent>()->deactivate();
    scene.frame(0.5f);
    const sf::Vector2f firstPosition = first->getPosition();
    const b2Vec2 firstVelocity = bodyOf(*first)->GetLinearVelocity();

    // Slot 0's turn: still in play, so nothing happens to it and this second passes (else the
    // next second would try slot 0 again and leave slot 1 parked).
    scene.updateObjects(0.5f);
    EXPECT_EQ(bodyOf(*first)->GetLinearVelocity(), firstVelocity);
    EXPECT_FALSE(second->isActive());
    scene.step(0.f);
    EXPECT_TRUE(isNear(first->getPosition(), firstPosition));

    scene.frame(1.f);
    EXPECT_TRUE(second->isActive());
    EXPECT_NEAR(second->getPosition().y, SPAWNER_POSITION.y, 1e-3f);
}

TEST_F(ItemSpawnerComponentTest, SpawnedItemIsFreshAgainWhateverItWentThrough)
{
    Spawner spawner(scene, {1.f, 0.f}, 1);
    const auto& rock = spawner.items()[0];
    ItemComponent& item = *rock->getComponent<ItemComponent>();

    scene.frame(1.f);
    ASSERT_TRUE(rock->isActive());
    // Thrown, solid and under gravity, then parked by its lifetime.
    item.setHeld(true);
    item.setThrown(true);
    fixtureOf(*rock)->SetSensor(false);
    bodyOf(*rock)->SetGravityScale(1.f);
    bodyOf(*rock)->SetAngularVelocity(3.f);
    item.setActiveTime(ItemComponent::DEFAULT_LIFETIME);
    scene.frame(0.5f);
    ASSERT_FALSE(rock->isActive());

    scene.frame(0.5f);
    ASSERT_TRUE(rock->isActive());
    EXPECT_FALSE(item.isHeld());
    EXPECT_FALSE(item.isThrown());
    EXPECT_TRUE(fixtureOf(*rock)->IsSensor());
    EXPECT_FLOAT_EQ(bodyOf(*rock)->GetGravityScale(), 0.f);
    EXPECT_FLOAT_EQ(bodyOf(*rock)->GetAngularVelocity(), 0.f);
    EXPECT_TRUE(isNear(pixelVelocity(*bodyOf(*rock)), {0.f, 100.f}));
    EXPECT_NEAR(rock->getPosition().y, SPAWNER_POSITION.y, 1e-3f);
}

TEST_F(ItemSpawnerComponentTest, ItemThatFailsToInitialiseIsReportedAndStaysPooled)
{
    StreamCapture err(sf::err());
    auto object = std::make_shared<GameObject>("Spawner");
    auto spawner = object->addComponent<ItemSpawnerComponent>(
        *object, 3, testWindow(), std::array<std::string, 2>{"no-such-rock.png", "no-such-bomb.png"},
        ItemTextures::rects(), std::array<float, 2>{1.f, 1.f}, std::array<float, 2>{1.f, 0.f}, "Objects");

    ASSERT_EQ(spawner->getPool().getItems().size(), 3u);
    for (const auto& item : spawner->getPool().getItems())
        EXPECT_NE(err.text().find("Could not initialize go " + item->getId() + "\n"), std::string::npos) << err.text();
    for (const auto& item : spawner->getPool().getItems())
    {
        EXPECT_FALSE(item->isActive());
        EXPECT_EQ(scene.objects().getGameObjects().count(item->getId()), 1u);
    }
    EXPECT_EQ(out.text(), "## pool-size: 3\n");
}

TEST_F(ItemSpawnerComponentTest, PoolWithoutSlotsNeverSpawns)
{
    Spawner empty(scene, {1.f, 0.f}, 0, "Empty");
    Spawner negative(scene, {1.f, 0.f}, -5, "Negative");
    EXPECT_EQ(countLines(out.text(), "## pool-size: 0\n"), 2);

    scene.frames(3, 1.f);
    EXPECT_TRUE(empty.items().empty());
    EXPECT_TRUE(negative.items().empty());
}
