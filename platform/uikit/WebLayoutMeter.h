#pragma once
// Counts what one layout of a page does, in elements laid out: the engine lays a table cell's
// content out again for each pass its table makes, and the passes multiply with the tables
// around it, by how many depends on the table (its columns, widths and floats). Cells charge
// their content each time they are laid out; past the budget the rest of the layout is skipped
// and the page is to be shown as its text.

#include <cstddef>
#include <cstdint>

class WebLayoutMeter {
public:
    explicit WebLayoutMeter(std::size_t budget) : m_budget(budget) { }

    // A fresh count for a new layout.
    void start(std::size_t elements)
    {
        ++m_generation;
        m_used = elements;
        m_exceeded = elements > m_budget;
    }
    // Whether the elements may be laid out; once the budget is passed, none may.
    bool charge(std::size_t elements)
    {
        if (!m_exceeded) {
            m_used += elements;
            m_exceeded = m_used > m_budget;
        }
        return !m_exceeded;
    }
    bool exceeded() const { return m_exceeded; }
    std::size_t used() const { return m_used; }
    std::size_t budget() const { return m_budget; }
    // Changes with each layout, so that what cells keep of the last one can be told apart.
    std::uint64_t generation() const { return m_generation; }

private:
    std::size_t m_budget;
    std::size_t m_used { 0 };
    bool m_exceeded { false };
    std::uint64_t m_generation { 0 };
};
