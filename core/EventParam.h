// EventParam: compile-time helpers for the signal/slot family.
//
// Every endpoint template takes a signature of exactly five parameter types;
// signatures with fewer real parameters are padded at the end with
// EventParam::null, an empty type that carries no value. The helpers here
// count the real parameters and give every signature a unique tag, which is
// how an emitter checks at run time that a connected endpoint shares its
// signature before handing it arguments.
#pragma once

#include <cstddef>

namespace EventParam {

// The placeholder for an unused signature position.
struct null {};

template <typename A>
inline constexpr bool isNull = false;
template <>
inline constexpr bool isNull<null> = true;

// Number of real parameters: the position of the last non-placeholder + 1.
template <typename A1, typename A2, typename A3, typename A4, typename A5>
inline constexpr int arity = !isNull<A5> ? 5 : !isNull<A4> ? 4 : !isNull<A3> ? 3 : !isNull<A2> ? 2 : !isNull<A1> ? 1 : 0;

// True when placeholders only pad the end of the signature.
template <typename A1, typename A2, typename A3, typename A4, typename A5>
inline constexpr bool paddedAtEnd = (!isNull<A1> || isNull<A2>) && (!isNull<A2> || isNull<A3>)
    && (!isNull<A3> || isNull<A4>) && (!isNull<A4> || isNull<A5>);

// One object per signature; its address identifies the signature.
template <typename A1, typename A2, typename A3, typename A4, typename A5>
inline constexpr char signatureTag = 0;

// Number of parameters and first parameter of a member function pointer type.
template <typename M>
struct MemberTraits;

template <typename R, typename C, typename... Args>
struct MemberTraits<R (C::*)(Args...)> {
    static constexpr std::size_t count = sizeof...(Args);
};

template <typename R, typename C, typename... Args>
struct MemberTraits<R (C::*)(Args...) noexcept> : MemberTraits<R (C::*)(Args...)> {};

template <typename M>
struct FirstParameter;

template <typename R, typename C, typename First>
struct FirstParameter<R (C::*)(First)> {
    using type = First;
};

template <typename R, typename C, typename First>
struct FirstParameter<R (C::*)(First) noexcept> {
    using type = First;
};

} // namespace EventParam
