#include "DebugDraw.h"
#include "MatchKit.h"

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <algorithm>

using namespace zelk;
using namespace zelk::test;

namespace
{

template <typename T>
const T* shapeAs(std::size_t index)
{
    const auto& shapes = DebugDraw::getInstance().getShapes();
    return index < shapes.size() ? dynamic_cast<const T*>(shapes[index].get()) : nullptr;
}

template <typename T>
std::size_t countShapes()
{
    std::size_t count = 0;
    for (const auto& shape : DebugDraw::getInstance().getShapes())
        count += dynamic_cast<const T*>(shape.get()) != nullptr ? 1 : 0;
    return count;
}

b2AABB boxBetween(b2Vec2 lower, b2Vec2 upper)
{
    b2AABB box;
    box.lowerBound = lower;
    box.upperBound = upper;
    return box;
}

std::shared_ptr<sf::Drawable> heldShape(std::size_t index)
{
    return DebugDraw::getInstance().getShapes().at(index);
}

// An irregular convex pentagon, in metres.
b2PolygonShape pentagon()
{
    b2PolygonShape polygon;
    const b2Vec2 corners[5] = {{0.5f, 0.2f}, {2.5f, 0.5f}, {3.f, 2.f}, {1.5f, 3.3f}, {0.3f, 2.f}};
    polygon.Set(corners, 5);
    return polygon;
}

void expectPoint(const sf::Vector2f& actual, float x, float y)
{
    EXPECT_NEAR(actual.x, x, 1e-3f);
    EXPECT_NEAR(actual.y, y, 1e-3f);
}

// Press or release F1 and take the frame's input snapshot, like one pass of the main loop.
void frameWithF1(bool down)
{
    InputManager::getInstance().setLiveKey(sf::Keyboard::F1, down);
    InputManager::getInstance().update();
    DebugDraw::getInstance().update();
}

class DebugDrawTest : public ::testing::Test
{
protected:
    void SetUp() override { DebugDraw::getInstance().clearShapes(); }
    void TearDown() override { DebugDraw::getInstance().clearShapes(); }
};

} // namespace

TEST_F(DebugDrawTest, F1SwitchesTheOverlayWhenReleasedNotWhenPressed)
{
    InputManager::getInstance().installDefaultBindings();
    DebugDraw& debugDraw = DebugDraw::getInstance();
    debugDraw.setEnabled(false);

    frameWithF1(true);
    EXPECT_FALSE(debugDraw.isEnabled());
    frameWithF1(true);
    EXPECT_FALSE(debugDraw.isEnabled());
    frameWithF1(false);
    EXPECT_TRUE(debugDraw.isEnabled());
    frameWithF1(false);
    EXPECT_TRUE(debugDraw.isEnabled());

    frameWithF1(true);
    frameWithF1(false);
    EXPECT_FALSE(debugDraw.isEnabled());
}

TEST_F(DebugDrawTest, TwoPolygonFixturesGiveTwoPolygonsOneBoxAndTwoAxisLines)
{
    auto made = makeBox("crate", {300.f, 150.f}, b2_staticBody, {1.f, 0.5f});
    addBoxCollider(made, {0.25f, 0.25f});

    made.rigidBody->syncBody();

    ASSERT_EQ(DebugDraw::getInstance().getShapes().size(), 5u);
    EXPECT_EQ(countShapes<sf::ConvexShape>(), 3u);
    EXPECT_EQ(countShapes<sf::VertexArray>(), 2u);

    // Box2D lists the newest fixture first.
    const auto* small = shapeAs<sf::ConvexShape>(0);
    const auto* large = shapeAs<sf::ConvexShape>(1);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    ASSERT_EQ(large->getPointCount(), 4u);
    expectPoint(large->getPoint(0), -30.f, -15.f);
    expectPoint(large->getPoint(2), 30.f, 15.f);
    expectPoint(small->getPoint(2), 7.5f, 7.5f);
    expectPoint(large->getPosition(), 300.f, 150.f);
    EXPECT_EQ(large->getOutlineColor(), sf::Color(0, 255, 0, 255));
    EXPECT_EQ(large->getFillColor(), sf::Color(0, 255, 0, 80));
    EXPECT_EQ(large->getOutlineThickness(), 1.f);

    // The bounding box follows the broad-phase boxes, which are slightly larger than the shapes.
    const auto* box = shapeAs<sf::ConvexShape>(2);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->getPointCount(), 4u);
    const b2AABB fat = made.body()->GetFixtureList()->GetNext()->GetAABB(0);
    expectPoint(box->getPoint(0), fat.lowerBound.x * 30.f, fat.lowerBound.y * 30.f);
    expectPoint(box->getPoint(1), fat.upperBound.x * 30.f, fat.lowerBound.y * 30.f);
    expectPoint(box->getPoint(2), fat.upperBound.x * 30.f, fat.upperBound.y * 30.f);
    expectPoint(box->getPoint(3), fat.lowerBound.x * 30.f, fat.upperBound.y * 30.f);
    EXPECT_LT(box->getPoint(0).x, 270.f);
    EXPECT_EQ(box->getOutlineColor(), sf::Color::Green);
    EXPECT_EQ(box->getFillColor(), sf::Color::Transparent);
}

TEST_F(DebugDrawTest, AxisLinesFollowTheBodyRotation)
{
    auto made = makeBox("crate", {300.f, 150.f}, b2_staticBody);
    // Unrotated, the green axis points up on screen.
    made.rigidBody->syncBody();
    expectPoint((*shapeAs<sf::VertexArray>(2))[1].position, 304.5f, 150.f);
    expectPoint((*shapeAs<sf::VertexArray>(3))[1].position, 300.f, 145.5f);
    DebugDraw::getInstance().clearShapes();

    made.body()->SetTransform(made.body()->GetPosition(), b2_pi / 2.f);

    made.rigidBody->syncBody();

    const auto* xAxis = shapeAs<sf::VertexArray>(2);
    const auto* yAxis = shapeAs<sf::VertexArray>(3);
    ASSERT_NE(xAxis, nullptr);
    ASSERT_NE(yAxis, nullptr);
    ASSERT_EQ(xAxis->getVertexCount(), 2u);
    EXPECT_EQ(xAxis->getPrimitiveType(), sf::LineStrip);
    expectPoint((*xAxis)[0].position, 300.f, 150.f);
    expectPoint((*xAxis)[1].position, 300.f, 154.5f);
    EXPECT_EQ((*xAxis)[1].color, sf::Color::Red);
    expectPoint((*yAxis)[1].position, 304.5f, 150.f);
    EXPECT_EQ((*yAxis)[1].color, sf::Color::Green);
    EXPECT_FLOAT_EQ(shapeAs<sf::ConvexShape>(0)->getRotation(), 90.f);
}

TEST_F(DebugDrawTest, CircleFixtureGivesOnlyTheBoxAndAxes)
{
    auto made = makeBody("rock", {300.f, 150.f}, b2_dynamicBody);
    b2CircleShape circle;
    circle.m_radius = 0.5f;
    b2FixtureDef fixtureDef = ColliderComponent::makeFixtureDef(circle, CollisionCategory::ITEM);
    made.object->addComponent<ColliderComponent>(*made.object, *made.rigidBody, fixtureDef);

    made.rigidBody->syncBody();

    EXPECT_EQ(DebugDraw::getInstance().getShapes().size(), 3u);
    EXPECT_EQ(countShapes<sf::ConvexShape>(), 1u);
}

TEST_F(DebugDrawTest, ShapesAreCollectedWithTheOverlayOffAndClearEmptiesThem)
{
    DebugDraw::getInstance().setEnabled(false);
    PhysicsManager manager;
    manager.init();
    auto first = makeBox("first", {300.f, 150.f}, b2_staticBody);
    auto second = makeBox("second", {600.f, 150.f}, b2_staticBody);

    manager.update(1.f / 60.f);
    EXPECT_EQ(DebugDraw::getInstance().getShapes().size(), 8u);

    DebugDraw::getInstance().clearShapes();
    EXPECT_TRUE(DebugDraw::getInstance().getShapes().empty());

    // A disabled (parked) body gives none.
    PhysicsManager::deferSetEnabled(second.body(), false);
    manager.update(1.f / 60.f);
    EXPECT_EQ(DebugDraw::getInstance().getShapes().size(), 4u);
}

TEST_F(DebugDrawTest, WorldDrawingOperationsUsePixelsAndTheirAlphas)
{
    DebugDraw& debugDraw = DebugDraw::getInstance();
    const b2Color orange(1.f, 0.5f, 0.f, 0.3f);
    const b2Vec2 triangle[3] = {{0.f, 0.f}, {1.f, 0.f}, {0.f, 1.f}};

    debugDraw.DrawSolidPolygon(triangle, 3, orange);
    debugDraw.DrawPolygon(triangle, 3, orange);
    debugDraw.DrawSolidCircle({1.f, 2.f}, 0.5f, {1.f, 0.f}, orange);
    debugDraw.DrawSegment({0.f, 0.f}, {2.f, 1.f}, orange);
    debugDraw.DrawCircle({1.f, 1.f}, 1.f, orange);
    debugDraw.DrawPoint({2.f, 2.f}, 0.1f, orange);
    ASSERT_EQ(debugDraw.getShapes().size(), 7u);

    const auto* solid = shapeAs<sf::ConvexShape>(0);
    ASSERT_NE(solid, nullptr);
    expectPoint(solid->getPoint(2), 0.f, 30.f);
    EXPECT_EQ(solid->getOutlineColor(), sf::Color(255, 127, 0, 255));
    EXPECT_EQ(solid->getFillColor(), sf::Color(255, 127, 0, 50));
    EXPECT_EQ(shapeAs<sf::ConvexShape>(1)->getFillColor(), sf::Color::Transparent);

    const auto* circle = shapeAs<sf::CircleShape>(2);
    ASSERT_NE(circle, nullptr);
    EXPECT_FLOAT_EQ(circle->getRadius(), 15.f);
    EXPECT_EQ(circle->getPointCount(), 30u);
    expectPoint(circle->getPosition() - circle->getOrigin() + sf::Vector2f(15.f, 15.f), 30.f, 60.f);
    EXPECT_EQ(circle->getFillColor(), sf::Color(255, 127, 0, 50));
    const auto* radiusLine = shapeAs<sf::VertexArray>(3);
    ASSERT_NE(radiusLine, nullptr);
    expectPoint((*radiusLine)[1].position, 45.f, 60.f);

    const auto* segment = shapeAs<sf::VertexArray>(4);
    ASSERT_NE(segment, nullptr);
    expectPoint((*segment)[1].position, 60.f, 30.f);
    EXPECT_EQ((*segment)[0].color, sf::Color(255, 127, 0, 255));
    EXPECT_FLOAT_EQ(shapeAs<sf::CircleShape>(6)->getRadius(), 3.f);
}

namespace
{

sf::Image pictureOf(const sf::Drawable& drawable)
{
    sf::RenderTexture target;
    target.create(120, 120);
    target.clear(sf::Color::Black);
    target.draw(drawable);
    target.display();
    return target.getTexture().copyToImage();
}

// Pixels that differ; an empty image counts as black everywhere.
int countDifferentPixels(const sf::Image& picture, const sf::Image& other)
{
    const bool otherIsBlack = other.getSize().x == 0;
    if (!otherIsBlack && other.getSize() != picture.getSize())
        return -1;
    int different = 0;
    for (unsigned y = 0; y < picture.getSize().y; ++y)
    {
        for (unsigned x = 0; x < picture.getSize().x; ++x)
        {
            const sf::Color theirs = otherIsBlack ? sf::Color::Black : other.getPixel(x, y);
            different += picture.getPixel(x, y) != theirs ? 1 : 0;
        }
    }
    return different;
}

} // namespace

// An overlay polygon is the shape SFML's own interface builds point by point. Frames refill the
// shapes of earlier frames: whatever a shape showed before must not leak into what it shows now.
TEST_F(DebugDrawTest, OverlayShapesAreTheShapesSfmlBuildsAlsoWhenRefilled)
{
    testWindow();
    DebugDraw& debugDraw = DebugDraw::getInstance();
    const b2PolygonShape polygon = pentagon();
    sf::Transformable pose;
    pose.setPosition(10.f, 5.f);
    pose.setRotation(12.f);
    debugDraw.drawPolygonShape(polygon, pose, b2Color(0.f, 1.f, 0.f, 1.f));
    const auto* built = shapeAs<sf::ConvexShape>(0);
    ASSERT_NE(built, nullptr);

    sf::ConvexShape expected(static_cast<std::size_t>(polygon.m_count));
    for (int32 i = 0; i < polygon.m_count; ++i)
        expected.setPoint(static_cast<std::size_t>(i), sf::Vector2f(polygon.m_vertices[i].x * 30.f,
                                                                    polygon.m_vertices[i].y * 30.f));
    expected.setPosition(pose.getPosition());
    expected.setRotation(pose.getRotation());
    expected.setOutlineThickness(1.f);
    expected.setOutlineColor(sf::Color(0, 255, 0, 255));
    expected.setFillColor(sf::Color(0, 255, 0, 80));

    ASSERT_EQ(built->getPointCount(), expected.getPointCount());
    for (std::size_t i = 0; i < expected.getPointCount(); ++i)
        expectPoint(built->getPoint(i), expected.getPoint(i).x, expected.getPoint(i).y);
    EXPECT_EQ(built->getLocalBounds(), expected.getLocalBounds()) << "the outline is part of the bounds";
    EXPECT_EQ(built->getGlobalBounds(), expected.getGlobalBounds());
    const sf::Image theirs = pictureOf(expected);
    EXPECT_GT(countDifferentPixels(theirs, sf::Image()), 1000) << "the picture shows the shape";
    EXPECT_EQ(countDifferentPixels(pictureOf(*built), theirs), 0);
    debugDraw.clearShapes();

    debugDraw.drawAABB(boxBetween({0.5f, 0.5f}, {2.f, 3.f}), sf::Color::Green);
    ASSERT_EQ(shapeAs<sf::ConvexShape>(0), built) << "the shape was not refilled, so this shows nothing";
    sf::ConvexShape fresh(4);
    fresh.setPoint(0, {15.f, 15.f});
    fresh.setPoint(1, {60.f, 15.f});
    fresh.setPoint(2, {60.f, 90.f});
    fresh.setPoint(3, {15.f, 90.f});
    fresh.setOutlineThickness(1.f);
    fresh.setOutlineColor(sf::Color::Green);
    fresh.setFillColor(sf::Color::Transparent);
    ASSERT_EQ(built->getPointCount(), 4u);
    EXPECT_EQ(built->getRotation(), 0.f);
    expectPoint(built->getPosition(), 0.f, 0.f);
    EXPECT_EQ(built->getFillColor(), sf::Color::Transparent);
    EXPECT_EQ(built->getGlobalBounds(), fresh.getGlobalBounds());
    EXPECT_EQ(countDifferentPixels(pictureOf(*built), pictureOf(fresh)), 0);
}

// Somebody may reshape an overlay shape like any convex shape; a refill with the same points as
// last frame may skip the geometry, but only if the shape still shows them.
TEST_F(DebugDrawTest, AReshapedOverlayShapeIsRefilledWithTheNewFramesPoints)
{
    DebugDraw& debugDraw = DebugDraw::getInstance();
    const b2AABB box = boxBetween({1.f, 1.f}, {2.f, 2.f});
    debugDraw.drawAABB(box, sf::Color::Green);
    auto* shape = dynamic_cast<sf::ConvexShape*>(heldShape(0).get());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->getLocalBounds(), sf::FloatRect(29.f, 29.f, 32.f, 32.f));

    sf::ConvexShape expected(4);
    for (std::size_t i = 0; i < 4; ++i)
        expected.setPoint(i, shape->getPoint(i));
    expected.setOutlineThickness(1.f);
    for (sf::ConvexShape* reshaped : {shape, &expected})
    {
        reshaped->setPoint(2, sf::Vector2f(90.f, 60.f));
        reshaped->setPointCount(5);
        reshaped->setPoint(4, sf::Vector2f(30.f, 100.f));
    }
    EXPECT_EQ(shape->getPointCount(), 5u);
    EXPECT_EQ(shape->getLocalBounds(), expected.getLocalBounds());
    EXPECT_GT(shape->getLocalBounds().width, 61.f);
    debugDraw.clearShapes();
    // Refilled twice: after a change of its point count, and of one point only.
    for (int refill = 0; refill < 2; ++refill)
    {
        debugDraw.drawAABB(box, sf::Color::Green);
        ASSERT_EQ(shapeAs<sf::ConvexShape>(0), shape);
        ASSERT_EQ(shape->getPointCount(), 4u);
        expectPoint(shape->getPoint(2), 60.f, 60.f);
        EXPECT_EQ(shape->getLocalBounds(), sf::FloatRect(29.f, 29.f, 32.f, 32.f));
        shape->setPoint(2, {500.f, 500.f});
        debugDraw.clearShapes();
    }
}

TEST_F(DebugDrawTest, AShapeSomebodyStillHoldsIsNotRefilled)
{
    DebugDraw& debugDraw = DebugDraw::getInstance();
    debugDraw.drawAABB(boxBetween({1.f, 1.f}, {2.f, 2.f}), sf::Color::Green);
    debugDraw.DrawSegment({0.f, 0.f}, {1.f, 0.f}, b2Color(1.f, 0.f, 0.f, 1.f));
    const auto keptBox = std::dynamic_pointer_cast<sf::ConvexShape>(heldShape(0));
    const auto keptLine = std::dynamic_pointer_cast<sf::VertexArray>(heldShape(1));
    ASSERT_TRUE(keptBox && keptLine);
    debugDraw.clearShapes();

    debugDraw.drawAABB(boxBetween({5.f, 5.f}, {6.f, 6.f}), sf::Color::Red);
    debugDraw.DrawSegment({3.f, 3.f}, {4.f, 3.f}, b2Color(0.f, 0.f, 1.f, 1.f));

    EXPECT_NE(heldShape(0), keptBox);
    EXPECT_NE(heldShape(1), keptLine);
    expectPoint(keptBox->getPoint(0), 30.f, 30.f);
    EXPECT_EQ(keptBox->getOutlineColor(), sf::Color::Green);
    expectPoint((*keptLine)[1].position, 30.f, 0.f);
    expectPoint(shapeAs<sf::ConvexShape>(0)->getPoint(0), 150.f, 150.f);
    expectPoint((*shapeAs<sf::VertexArray>(1))[1].position, 120.f, 90.f);
}

// The overlay is built every frame even while hidden, so a steady match must not allocate for it.
TEST_F(DebugDrawTest, SteadyFramesRefillTheSameShapes)
{
    PhysicsManager manager;
    manager.init();
    auto still = makeBox("still", {300.f, 150.f}, b2_staticBody);
    auto moving = makeBox("moving", {600.f, 150.f}, b2_dynamicBody);
    moving.body()->SetLinearVelocity(b2Vec2(3.f, 0.f));
    manager.update(1.f / 60.f);
    DebugDraw& debugDraw = DebugDraw::getInstance();
    std::vector<const sf::Drawable*> firstFrame;
    for (const auto& shape : debugDraw.getShapes())
        firstFrame.push_back(shape.get());
    const std::size_t recycled = debugDraw.getRecycledShapeCount();
    debugDraw.clearShapes();

    manager.update(1.f / 60.f);

    ASSERT_EQ(debugDraw.getShapes().size(), firstFrame.size());
    for (std::size_t i = 0; i < firstFrame.size(); ++i)
        EXPECT_EQ(debugDraw.getShapes()[i].get(), firstFrame[i]) << "shape " << i;
    EXPECT_EQ(debugDraw.getRecycledShapeCount(), recycled);
    // The moving body's polygon followed it.
    float farthest = 0.f;
    for (const auto& shape : debugDraw.getShapes())
    {
        if (const auto* polygon = dynamic_cast<const sf::ConvexShape*>(shape.get()))
            farthest = std::max(farthest, polygon->getPosition().x);
    }
    EXPECT_GT(farthest, 600.5f);
}
