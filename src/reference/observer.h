#pragma once

#include "math/vec3.h"
#include "reference/traced.h"

namespace rm::reference {

// What the plain evaluation tells whoever follows it: every operation it does, and the values
// it names, under a key of nested names. An observer has the members of NoObserver. NoObserver
// itself hears nothing: its numbers are plain floats and doubles, and every call compiles to
// nothing. A recording observer's numbers are Traced, so that it hears each operation as it is
// done, and names the operations since the last named value after the value they form.
//
//   Float, Double            the evaluation's number types
//   enter(name, index)       opens a level of the key, "name" or, from index 0 up, "name<index>"
//   leave()                  closes the level opened last
//   value(name, v)           names v (a number, or an int) under the open levels; returns v
//   value(name, i, v)        the same under "name<i>"
//   chosen(name, v, a, b)    names v, one of a and b chosen by comparing them; returns v
//   untraced(v, a, b)        v, formed from a and b by operations the observer does not hear
//   noiseTerms()             whether to hear the operations inside the gradient noise (the
//                            ground's samples, the sky's octaves) too
//   everyCapsule()           whether to hear every capsule of the sculpture, not only the nearest
struct NoObserver {
    using Float = float;
    using Double = double;
    bool noiseTerms() const { return false; }
    bool everyCapsule() const { return false; }
    void enter(const char*, int = -1) {}
    void leave() {}
    template <typename T>
    T value(const char*, T v, Site = {}) {
        return v;
    }
    template <typename T>
    T value(const char*, int, T v, Site = {}) {
        return v;
    }
    template <typename T>
    T chosen(const char*, T v, T, T) {
        return v;
    }
    template <typename T, typename A, typename B>
    T untraced(T v, A, B) {
        return v;
    }
};

template <typename Observer>
using FloatOf = typename Observer::Float;
template <typename Observer>
using DoubleOf = typename Observer::Double;
template <typename Observer>
using Vec3Of = typename Vector3Of<FloatOf<Observer>>::Type;

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

// Names a vector's three components x, y and z under `name`, where the caller forms them.
template <typename Observer, typename V>
V observeVec3(Observer& observer, const char* name, V v, Site site = Site::current()) {
    const ObservedScope<Observer> scope(observer, name);
    return {observer.value("x", v.x, site), observer.value("y", v.y, site),
            observer.value("z", v.z, site)};
}

}  // namespace rm::reference
