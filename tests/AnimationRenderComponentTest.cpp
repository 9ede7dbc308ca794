// Frame animations chosen by (type, direction): frame timing, the non-looping lock, restarting a
// new animation at its first draw, mirrored frames, blinking, and selections that would otherwise
// read outside the frame list.

#include "Animation.h"
#include "AnimationKey.h"
#include "AnimationRenderComponent.h"
#include "GameObject.h"
#include "TestSupport.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

using zelk::Animation;
using zelk::AnimationRenderComponent;
using zelk::GameObject;

using namespace zelk::AnimationType;
using namespace zelk::Direction;

const sf::Color BACKDROP(0, 0, 200);
// Frame i of the sheet is filled with FRAME_COLOURS[i]; each frame's right half is white, so a
// mirrored frame can be told apart.
const std::vector<sf::Color> FRAME_COLOURS{sf::Color::Red, sf::Color::Green, sf::Color::Yellow, sf::Color::Magenta};
constexpr int FRAME_SIZE = 8;

Animation animationOf(int frameCount, bool loop = true, sf::Vector2f scale = {1.f, 1.f})
{
    Animation animation;
    animation.scale = scale;
    for (int frame = 0; frame < frameCount; ++frame)
        animation.frames.emplace_back(frame * FRAME_SIZE, 0, FRAME_SIZE, FRAME_SIZE);
    animation.loop = loop;
    return animation;
}

class AnimationRenderComponentTest : public ::testing::Test
{
protected:
    AnimationRenderComponentTest()
        : m_directory(std::filesystem::temp_directory_path() / ("bramblot-animation-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_directory);
        m_window.setView(m_window.getDefaultView());
        m_object = std::make_shared<GameObject>("Player0");
        m_object->setPosition(200.f, 200.f);
        m_animation =
            m_object->addComponent<AnimationRenderComponent>(*m_object, m_window, "Objects", writeSheet());
        m_object->init();
    }
    ~AnimationRenderComponentTest() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    std::string writeSheet()
    {
        sf::Image sheet;
        sheet.create(FRAME_SIZE * static_cast<unsigned>(FRAME_COLOURS.size()), FRAME_SIZE);
        for (unsigned x = 0; x < sheet.getSize().x; ++x)
            for (unsigned y = 0; y < sheet.getSize().y; ++y)
                sheet.setPixel(x, y, x % FRAME_SIZE < FRAME_SIZE / 2 ? FRAME_COLOURS[x / FRAME_SIZE] : sf::Color::White);
        const auto path = (m_directory / "sheet.png").string();
        sheet.saveToFile(path);
        return path;
    }

    // Clears to the backdrop, draws and reads the frame back.
    sf::Image render()
    {
        m_window.clear(BACKDROP);
        m_animation->draw();
        sf::Texture copy;
        copy.create(m_window.getSize().x, m_window.getSize().y);
        copy.update(m_window);
        return copy.copyToImage();
    }

    // The 8 x 8 frame is centred on (200, 200): its left half covers x 196..199, its right half 200..203.
    sf::Color leftHalf() { return render().getPixel(197, 200); }

    // The frame a draw shows, by its colour; -1 for none.
    int shownFrame()
    {
        const sf::Color shown = leftHalf();
        for (std::size_t frame = 0; frame < FRAME_COLOURS.size(); ++frame)
        {
            if (FRAME_COLOURS[frame] == shown)
                return static_cast<int>(frame);
        }
        return -1;
    }

    std::vector<int> framesShownOver(int updates, float deltaTime)
    {
        std::vector<int> frames;
        for (int i = 0; i < updates; ++i)
        {
            m_animation->update(deltaTime);
            frames.push_back(shownFrame());
        }
        return frames;
    }

    void updates(int count, float deltaTime)
    {
        for (int i = 0; i < count; ++i)
            m_animation->update(deltaTime);
    }

    sf::RenderWindow& m_window = zelk::test::testWindow();
    std::filesystem::path m_directory;
    std::shared_ptr<GameObject> m_object;
    std::shared_ptr<AnimationRenderComponent> m_animation;
};

} // namespace

TEST_F(AnimationRenderComponentTest, DrawsAndUpdatesNothingBeforeAnAnimationIsSelected)
{
    m_animation->addAnimation(WALKING, DOWN, animationOf(4));
    EXPECT_EQ(m_animation->getCurrentType(), AnimationRenderComponent::NO_TYPE);
    EXPECT_EQ(m_animation->getCurrentDirection(), zelk::Direction::NONE);

    m_animation->startBlinking(1.0f, 0.1f);
    m_animation->update(0.5f);
    EXPECT_EQ(m_animation->getSprite().getColor(), sf::Color::White);
    EXPECT_EQ(render().getPixel(200, 200), BACKDROP);
}

// The frames drawn after each update of one animation, its first frame drawn before them.
struct FrameTiming
{
    const char* name;
    int frames;
    bool loop;
    float frameTime;
    std::vector<int> shown;
};

TEST_F(AnimationRenderComponentTest, FramesAdvanceByTheirFrameTimeAndCycle)
{
    int type = THROWING;
    for (const FrameTiming& timing :
         {// At two tenths per frame, a tenth's update advances every third time (the timer keeps the rest).
          FrameTiming{"TwoTenths", 4, true, 0.2f, {0, 0, 1, 1, 1, 2}},
          FrameTiming{"FourFramesCycle", 4, true, 0.05f, {1, 2, 3, 0, 1}},
          // A non-looping animation nobody leaves keeps cycling.
          FrameTiming{"NonLooping", 2, false, 0.05f, {1, 0, 1}}})
    {
        SCOPED_TRACE(timing.name);
        Animation animation = animationOf(timing.frames, timing.loop);
        animation.frameTime = timing.frameTime;
        // A type of its own, so each starts as a new pair.
        ++type;
        m_animation->addAnimation(type, DOWN, animation);
        m_animation->setAnimation(type, DOWN);
        EXPECT_EQ(shownFrame(), 0);
        EXPECT_EQ(framesShownOver(static_cast<int>(timing.shown.size()), 0.1f), timing.shown);
    }
}

TEST_F(AnimationRenderComponentTest, ANegativeXScaleDrawsTheFrameMirrored)
{
    m_animation->addAnimation(WALKING, RIGHT, animationOf(1));
    m_animation->addAnimation(WALKING, LEFT, animationOf(1, true, {-1.f, 1.f}));

    // Just the frame's own part of the sheet: its colour, then white, then nothing.
    m_animation->setAnimation(WALKING, RIGHT);
    sf::Image frame = render();
    EXPECT_EQ(frame.getPixel(197, 200), FRAME_COLOURS[0]);
    EXPECT_EQ(frame.getPixel(202, 200), sf::Color::White);
    EXPECT_EQ(frame.getPixel(205, 200), BACKDROP);

    m_animation->setAnimation(WALKING, LEFT);
    frame = render();
    EXPECT_EQ(frame.getPixel(197, 200), sf::Color::White);
    EXPECT_EQ(frame.getPixel(202, 200), FRAME_COLOURS[0]);
}

TEST_F(AnimationRenderComponentTest, ANonLoopingAnimationHoldsTheSelectionUntilItsLastFrame)
{
    m_animation->addAnimation(WALKING, DOWN, animationOf(4));
    m_animation->addAnimation(THROWING, DOWN, animationOf(4, false));
    m_animation->setAnimation(THROWING, DOWN);

    for (int frame = 0; frame < 3; ++frame)
    {
        ASSERT_EQ(shownFrame(), frame);
        m_animation->setAnimation(WALKING, DOWN);
        m_animation->setAnimation(WALKING);
        EXPECT_EQ(m_animation->getCurrentType(), THROWING) << "at frame " << frame;
        updates(3, 0.1f);
    }
    ASSERT_EQ(shownFrame(), 3);
    m_animation->setAnimation(WALKING, DOWN);
    EXPECT_EQ(m_animation->getCurrentType(), WALKING);
}

TEST_F(AnimationRenderComponentTest, TheSamePairKeepsTheFrameANewPairRestartsAtItsFirstDraw)
{
    m_animation->addAnimation(WALKING, DOWN, animationOf(4));
    m_animation->addAnimation(WALKING, UP, animationOf(4));
    m_animation->setAnimation(WALKING, DOWN);
    render();
    updates(6, 0.1f);
    ASSERT_EQ(shownFrame(), 2);

    m_animation->setAnimation(WALKING, DOWN);
    EXPECT_EQ(shownFrame(), 2);
    m_animation->setAnimation(WALKING, UP);
    EXPECT_EQ(shownFrame(), 0);
}

TEST_F(AnimationRenderComponentTest, SelectingByTypeAloneKeepsTheDirection)
{
    m_animation->addAnimation(WALKING, RIGHT, animationOf(4));
    m_animation->addAnimation(THROWING, RIGHT, animationOf(2));
    m_animation->setAnimation(WALKING, RIGHT);

    m_animation->setAnimation(THROWING);
    EXPECT_EQ(m_animation->getCurrentType(), THROWING);
    EXPECT_EQ(m_animation->getCurrentDirection(), RIGHT);
    ASSERT_NE(m_animation->getCurrentAnimation(), nullptr);
    EXPECT_EQ(m_animation->getCurrentAnimation()->frameCount(), 2);
}

TEST_F(AnimationRenderComponentTest, AnUnknownPairIsReportedAndDrawsNothingUntilAKnownOneIsSet)
{
    m_animation->addAnimation(WALKING, DOWN, animationOf(4));
    m_animation->setAnimation(WALKING, DOWN);

    zelk::test::StreamCapture err(sf::err());
    m_animation->setAnimation(THROWING, LEFT);
    EXPECT_EQ(err.text(), "AnimationRenderComponent::setAnimation: Animation not found. Type:\n");
    EXPECT_EQ(m_animation->getCurrentAnimation(), nullptr);
    EXPECT_EQ(m_animation->getCurrentType(), THROWING);
    EXPECT_EQ(render().getPixel(197, 200), BACKDROP);

    m_animation->setAnimation(WALKING, DOWN);
    EXPECT_EQ(leftHalf(), FRAME_COLOURS[0]);
}

TEST_F(AnimationRenderComponentTest, AnAnimationWithoutFramesIsTreatedAsMissing)
{
    m_animation->addAnimation(WALKING, DOWN, animationOf(4));
    m_animation->addAnimation(THROWING, DOWN, Animation{});
    m_animation->setAnimation(WALKING, DOWN);

    zelk::test::StreamCapture err(sf::err());
    m_animation->setAnimation(THROWING, DOWN);
    EXPECT_NE(err.text().find("Animation has no frames"), std::string::npos);
    EXPECT_EQ(m_animation->getCurrentAnimation(), nullptr);
    m_animation->update(0.5f);
    EXPECT_EQ(render().getPixel(197, 200), BACKDROP);
}

TEST_F(AnimationRenderComponentTest, ReplacingTheCurrentAnimationKeepsTheSelectionValid)
{
    m_animation->addAnimation(WALKING, DOWN, animationOf(4));
    m_animation->setAnimation(WALKING, DOWN);
    render();
    updates(9, 0.1f);
    ASSERT_EQ(shownFrame(), 3);

    // Replaced by a shorter one: the frame drawn must lie inside it.
    m_animation->addAnimation(WALKING, DOWN, animationOf(2));
    ASSERT_NE(m_animation->getCurrentAnimation(), nullptr);
    EXPECT_EQ(m_animation->getCurrentAnimation()->frameCount(), 2);
    EXPECT_EQ(shownFrame(), 0);

    // Adding others must not move the current one.
    for (int type = 10; type < 40; ++type)
        m_animation->addAnimation(type, DOWN, animationOf(1));
    EXPECT_EQ(m_animation->getCurrentAnimation()->frameCount(), 2);

    zelk::test::StreamCapture err(sf::err());
    m_animation->addAnimation(WALKING, DOWN, Animation{});
    EXPECT_EQ(m_animation->getCurrentAnimation(), nullptr);
    EXPECT_NE(err.text().find("without frames"), std::string::npos);
    EXPECT_EQ(render().getPixel(197, 200), BACKDROP);
}

// Run in the sanitizer build: a frame index read past the frames would show there.
TEST_F(AnimationRenderComponentTest, SwitchingBackBeforeTheNextDrawNeverReadsPastTheFrames)
{
    Animation shortOne = animationOf(2);
    Animation longOne = animationOf(4);
    longOne.frameTime = 0.05f;
    m_animation->addAnimation(WALKING, DOWN, shortOne);
    m_animation->addAnimation(WALKING, UP, longOne);
    m_animation->setAnimation(WALKING, DOWN);
    render();
    updates(3, 0.1f);
    ASSERT_EQ(shownFrame(), 1);

    // The long animation counts on from frame 1 to 2 while it is current but never drawn ...
    m_animation->setAnimation(WALKING, UP);
    m_animation->update(0.1f);
    // ... and the short one, being the pair drawn last, does not count as new when selected again.
    m_animation->setAnimation(WALKING, DOWN);
    EXPECT_EQ(shownFrame(), 0);
}

// The blinking schedule itself is the sprite's (see SpriteRenderComponentTest); here, what it hides.
TEST_F(AnimationRenderComponentTest, BlinkingHidesAndShowsTheDrawnFrame)
{
    m_animation->addAnimation(WALKING, DOWN, animationOf(4));
    m_animation->setAnimation(WALKING, DOWN);
    m_animation->startBlinking(1.0f, 0.1f);

    m_animation->update(0.05f);
    EXPECT_EQ(render().getPixel(197, 200), BACKDROP);
    m_animation->update(0.1f);
    EXPECT_NE(render().getPixel(197, 200), BACKDROP);
    updates(20, 0.05f);
    EXPECT_FALSE(m_animation->isBlinking());
    EXPECT_NE(render().getPixel(197, 200), BACKDROP);
}

TEST_F(AnimationRenderComponentTest, AMissingSheetStillInitialisesAndDrawsSafely)
{
    auto object = std::make_shared<GameObject>("Ghost");
    auto ghost = object->addComponent<AnimationRenderComponent>(*object, m_window, "Objects",
                                                               (m_directory / "missing.png").string());
    zelk::test::StreamCapture err(sf::err());
    EXPECT_TRUE(object->init());
    EXPECT_NE(err.text().find("missing.png"), std::string::npos);

    ghost->addAnimation(WALKING, DOWN, animationOf(2));
    ghost->setAnimation(WALKING, DOWN);
    ghost->update(0.3f);
    m_window.clear(BACKDROP);
    ghost->draw();
}

TEST_F(AnimationRenderComponentTest, AnimationsAddedBeforeTheSheetLoadedPlayFromItOnceLoaded)
{
    // The item pools and the map's players add their animations before initialising the object.
    auto object = std::make_shared<GameObject>("Bomb_0");
    object->setPosition(200.f, 200.f);
    const std::string sameSheet = (m_directory / "sheet.png").string();
    auto early = object->addComponent<AnimationRenderComponent>(*object, m_window, "Objects", sameSheet);
    early->addAnimation(WALKING, DOWN, animationOf(4));
    early->setAnimation(WALKING, DOWN);
    ASSERT_TRUE(object->init());

    EXPECT_EQ(early->getTexture().getSize(), m_animation->getTexture().getSize());
    EXPECT_EQ(&early->getTexture(), &m_animation->getTexture()) << "one sheet, shared by both";
}
