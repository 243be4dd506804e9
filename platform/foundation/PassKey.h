#pragma once
// A key only T can make: a method taking PassKey<T> may be called by T alone, which opens one
// operation to one class instead of opening everything private to it through friendship.

template <class T>
class PassKey {
    friend T;
    PassKey() = default;
};
