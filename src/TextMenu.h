#pragma once
// A column of text entries with one marked entry, steered by player 0: up and down (keys or the
// first controller's stick) move the mark, "select" confirms it. The menu screen and the match's
// win screen both use it, each with its own entries, sizes and stick thresholds.

#include <SFML/Graphics/Text.hpp>

#include <cstddef>
#include <string>
#include <vector>

namespace zelk
{

class TextMenu
{
public:
    // The stick moves the mark once per push beyond moveThreshold, and again only after it came
    // back within centreZone of the centre.
    TextMenu(float centreZone, float moveThreshold);

    // Marks the first entry.
    void setEntries(std::vector<sf::Text> entries);
    void clear();

    // Moves the mark by one entry per step of the input, wrapping around.
    void navigate();
    // Whether "select" was pressed in this frame (key or the first controller's button).
    bool isConfirmed() const;

    // A copy of the entry to draw; the marked one reads "> entry <". The origin is left to the screen.
    sf::Text markedCopy(std::size_t index) const;

    const std::vector<sf::Text>& getEntries() const { return m_entries; }
    bool isMarked(std::size_t index) const { return index == m_marked && index < m_entries.size(); }
    // Null while there are no entries.
    const sf::Text* getMarkedEntry() const;
    // The marked entry's word, or an empty string while there are no entries.
    std::string getMarkedWord() const;

private:
    void moveMark(int step);

    float m_centreZone;
    float m_moveThreshold;
    std::vector<sf::Text> m_entries;
    std::size_t m_marked = 0;
    bool m_stickReleased = false;
};

} // namespace zelk
