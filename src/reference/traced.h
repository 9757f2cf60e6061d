#pragma once

#include <stdint.h>

#include <concepts>

#include "math/float_bits.h"
#include "math/float_ops.h"
#include "math/vec3.h"

namespace rm::reference {

// What formed a value of the plain evaluation: one operation of the arithmetic, or a value the
// evaluation took as it is.
enum class Operation : uint8_t {
    Given,       // a constant, the pixel asked for, or a value taken from elsewhere
    Copy,        // an earlier value under a second name
    Choice,      // one of its operands, chosen by comparing them (a clamp, a minimum, a select)
    Sum,         // a + b
    Difference,  // a - b
    Product,     // a * b
    Quotient,    // a / b
    Negation,    // -a
    Magnitude,   // |a|
    SquareRoot,  // sqrt(a), of a float
    Floor,       // floor(a), of a double
    Widening,    // a float converted to a double
    Narrowing,   // a double converted to a float
    Truncation,  // a float or a double converted to an integer, toward zero
    ArcCosine,   // arcCosine(a), of a float
    Untraced,    // operations that this trace leaves out (the noise's terms, the other capsules)
    Compiled,    // a named value as this build compiles its expression, where that differs
};

// Where the evaluation names a value: the function, its file and the line.
struct Site {
    const char* file;
    const char* function;
    int line;
    static constexpr Site current(const char* file = __builtin_FILE(),
                                  const char* function = __builtin_FUNCTION(),
                                  int line = __builtin_LINE()) {
        return {file, function, line};
    }
};

// A float, a double or a 32-bit integer of the evaluation as a recorder follows it: its value and
// the index of the record that formed it (-1 for a constant). Every operation on it is recorded
// as it is done, with this build's own arithmetic. A plain T converts to a constant; no other
// type does, so an expression that would silently mix widths does not compile.
template <typename Recorder, typename T>
struct Traced {
    T v;
    Recorder* recorder = nullptr;
    int id = -1;

    Traced() : v() {}
    template <typename U>
    requires std::same_as<U, T> Traced(U value) : v(value) {}
    Traced(T value, Recorder* r, int index) : v(value), recorder(r), id(index) {}

    friend Traced operator+(Traced a, Traced b) { return form(Operation::Sum, a.v + b.v, a, b); }
    friend Traced operator-(Traced a, Traced b) {
        return form(Operation::Difference, a.v - b.v, a, b);
    }
    friend Traced operator*(Traced a, Traced b) {
        return form(Operation::Product, a.v * b.v, a, b);
    }
    friend Traced operator/(Traced a, Traced b) {
        return form(Operation::Quotient, a.v / b.v, a, b);
    }
    friend Traced operator-(Traced a) { return form(Operation::Negation, -a.v, a, a); }
    friend bool operator<(Traced a, Traced b) { return a.v < b.v; }
    friend bool operator<=(Traced a, Traced b) { return a.v <= b.v; }
    friend bool operator>(Traced a, Traced b) { return a.v > b.v; }
    friend bool operator>=(Traced a, Traced b) { return a.v >= b.v; }

    // The result of an operation on a and b (b is a for one operand).
    static Traced form(Operation op, T result, Traced a, Traced b) {
        Recorder* r = a.recorder != nullptr ? a.recorder : b.recorder;
        if (r == nullptr) return Traced(result);
        return r->formed(op, result, a, b);
    }
};

template <typename R>
Traced<R, float> sqrtF(Traced<R, float> a) {
    return Traced<R, float>::form(Operation::SquareRoot, rm::sqrtF(a.v), a, a);
}
template <typename R>
Traced<R, float> absF(Traced<R, float> a) {
    return Traced<R, float>::form(Operation::Magnitude, rm::absF(a.v), a, a);
}
template <typename R>
Traced<R, double> absD(Traced<R, double> a) {
    return Traced<R, double>::form(Operation::Magnitude, __builtin_fabs(a.v), a, a);
}
template <typename R>
Traced<R, double> floorD(Traced<R, double> a) {
    return Traced<R, double>::form(Operation::Floor, rm::floorD(a.v), a, a);
}

// Conversions between the widths, written out so that each is one recorded operation.
inline double widen(float v) { return double{v}; }
inline float narrow(double v) { return static_cast<float>(v); }
inline double absD(double v) { return __builtin_fabs(v); }
using rm::absF;
using rm::floorD;
using rm::sqrtF;

template <typename R>
Traced<R, double> widen(Traced<R, float> a) {
    R* r = a.recorder;
    if (r == nullptr) return Traced<R, double>(double{a.v});
    return r->formed(Operation::Widening, double{a.v}, a, a);
}
template <typename R>
Traced<R, float> narrow(Traced<R, double> a) {
    R* r = a.recorder;
    if (r == nullptr) return Traced<R, float>(static_cast<float>(a.v));
    return r->formed(Operation::Narrowing, static_cast<float>(a.v), a, a);
}

// A value as the plain arithmetic has it, for table look-ups and branches.
template <typename T>
T plain(T v) {
    return v;
}
template <typename R, typename T>
T plain(Traced<R, T> v) {
    return v.v;
}

// A point, direction or colour of a traced evaluation; the plain evaluation's is Vec3.
template <typename F>
struct Vector3 {
    F x;
    F y;
    F z;
};

template <typename F>
struct Vector3Of {
    using Type = Vector3<F>;
};
template <>
struct Vector3Of<float> {
    using Type = Vec3;
};

template <typename F>
typename Vector3Of<F>::Type vector3(Vec3 v) {
    return {F(v.x), F(v.y), F(v.z)};
}

template <typename V>
Vec3 plainVec3(const V& v) {
    return {plain(v.x), plain(v.y), plain(v.z)};
}

// A float converted to an integer as the lattice and the bytes take it, as one recorded operation.
template <typename R, typename Convert>
Traced<R, int32_t> truncated(Traced<R, float> a, Convert convert) {
    if (a.recorder == nullptr) return Traced<R, int32_t>(int32_t{convert(a.v)});
    return a.recorder->formed(Operation::Truncation, int32_t{convert(a.v)}, a, a);
}
template <typename R, typename Convert>
Traced<R, int32_t> truncated(Traced<R, double> a, Convert convert) {
    if (a.recorder == nullptr) return Traced<R, int32_t>(int32_t{convert(a.v)});
    return a.recorder->formed(Operation::Truncation, int32_t{convert(a.v)}, a, a);
}
template <typename T, typename Convert>
int32_t truncated(T a, Convert convert) {
    return convert(a);
}

}  // namespace rm::reference
