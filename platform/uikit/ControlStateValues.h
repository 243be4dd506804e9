#pragma once
// What a control keeps for each control state (a button's titles, colours and images): the value
// set for exactly a state, and the value a state shows, which is the normal state's when the state
// has none of its own. Setting nil takes the state's own value away.

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIControl.h"

#include <map>
#include <memory>

template <class T>
class ControlStateValues {
public:
    void set(const T& value, UIControlState state)
    {
        if (isNil(value))
            m_values.erase(state);
        else
            m_values[state] = value;
    }

    // Nil when the state has no value of its own.
    T forState(UIControlState state) const
    {
        const auto found = m_values.find(state);
        return found == m_values.end() ? T() : found->second;
    }

    T shownIn(UIControlState state) const
    {
        const auto found = m_values.find(state);
        return found == m_values.end() ? forState(UIControlStateNormal) : found->second;
    }

private:
    static bool isNil(const NSString& text) { return text.isNil(); }
    template <class Object>
    static bool isNil(const std::shared_ptr<Object>& object) { return !object; }

    std::map<UIControlState, T> m_values;
};
