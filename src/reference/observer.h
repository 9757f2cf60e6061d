#pragma once

#include "math/vec3.h"

namespace rm::reference {

// What the plain evaluation tells whoever follows it: every value it forms, under a key of nested
// names. An observer has the members of NoObserver; NoObserver itself hears nothing, and with it
// every call compiles to nothing.
//
//   enter(name, index)  opens a level of the key, "name" or, from index 0 up, "name<index>"
//   leave()             closes the level opened last
//   value(name, v)      one value (float, double or int) under the open levels
//   value(name, i, v)   the same under "name<i>"
//   noiseTerms()        whether to hear the terms inside the gradient noise (the ground's samples,
//                       the sky's octaves) as well
struct NoObserver {
    bool noiseTerms() const { return false; }
    void enter(const char*, int = -1) {}
    void leave() {}
    template <typename T>
    void value(const char*, T) {}
    template <typename T>
    void value(const char*, int, T) {}
};

// One level of the key for as long as the scope lasts.
template <typename Observer>
struct ObservedScope {
    Observer& observer;
    ObservedScope(Observer& o, const char* name, int index = -1) : observer(o) {
        observer.enter(name, index);
    }
    ~ObservedScope() { observer.leave(); }
    ObservedScope(const ObservedScope&) = delete;
    ObservedScope& operator=(const ObservedScope&) = delete;
};

template <typename Observer>
void observeVec3(Observer& observer, const char* name, Vec3 v) {
    const ObservedScope<Observer> scope(observer, name);
    observer.value("x", v.x);
    observer.value("y", v.y);
    observer.value("z", v.z);
}

}  // namespace rm::reference
