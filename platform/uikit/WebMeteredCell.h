#pragma once
// An element of the engine's own class that, laid out as a table cell, charges the layout meter
// with its content each time, and is skipped once the meter's budget is passed. The content it
// charges stops at the metered cells inside it, which charge their own.

#include "platform/uikit/WebLayoutMeter.h"

#include <litehtml/el_div.h>
#include <litehtml/el_td.h>
#include <litehtml/litehtml.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

template <class Element>
class WebMeteredCell final : public Element {
public:
    WebMeteredCell(const std::shared_ptr<litehtml::document>& document, std::weak_ptr<WebLayoutMeter> meter)
        : Element(document)
        , m_meter(std::move(meter))
    {
    }

    // The tags made metered elements: those of table cells and the blocks style sheets most
    // often make cells of.
    static bool meters(std::string_view tag)
    {
        const auto is = [tag](std::string_view name) {
            return tag.size() == name.size()
                && std::equal(tag.begin(), tag.end(), name.begin(), [](char a, char b) { return (a | 0x20) == b; });
        };
        return is("td") || is("th") || is("div");
    }

    int render(int x, int y, int max_width, bool second_pass = false) override
    {
        if (this->get_display() == litehtml::display_table_cell) {
            if (const auto meter = m_meter.lock(); meter && !meter->charge(contentSize(*meter)))
                return 0;
        }
        return Element::render(x, y, max_width, second_pass);
    }

private:
    // Counted once a layout: media rules may change what is a cell between layouts.
    std::size_t contentSize(const WebLayoutMeter& meter)
    {
        if (m_countedIn != meter.generation()) {
            m_countedIn = meter.generation();
            m_contentSize = 1;
            std::vector<litehtml::element::ptr> pending;
            for (std::size_t i = 0; i < this->get_children_count(); ++i)
                pending.push_back(this->get_child(int(i)));
            while (!pending.empty()) {
                const auto element = std::move(pending.back());
                pending.pop_back();
                ++m_contentSize;
                const char* tag = element->get_tagName();
                if (element->get_display() == litehtml::display_table_cell && tag && meters(tag))
                    continue;
                for (std::size_t i = 0; i < element->get_children_count(); ++i)
                    pending.push_back(element->get_child(int(i)));
            }
        }
        return m_contentSize;
    }

    std::weak_ptr<WebLayoutMeter> m_meter;
    std::uint64_t m_countedIn { 0 };
    std::size_t m_contentSize { 0 };
};
