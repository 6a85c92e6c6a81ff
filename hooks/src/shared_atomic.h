// SPDX-License-Identifier: GPL-3.0-or-later
// Atomic access to the fields of the shared block. Hook procedures in many processes and
// GetData in the program touch the same fields at once; these keep every update whole.
// GCC builtins rather than std::atomic: the block is a plain record in a shared data
// section, laid out byte for byte, and must stay free of constructors.
#pragma once

#include <cstdint>

namespace tavrel::hooks::shared {

inline std::int32_t Load(const std::int32_t* field) {
    return __atomic_load_n(field, __ATOMIC_RELAXED);
}

inline void Store(std::int32_t* field, std::int32_t value) {
    __atomic_store_n(field, value, __ATOMIC_RELAXED);
}

inline void Add(std::int32_t* field, std::int32_t amount) {
    __atomic_fetch_add(field, amount, __ATOMIC_RELAXED);
}

// Returns the value after the change.
inline std::int32_t AddAndFetch(std::int32_t* field, std::int32_t amount) {
    return __atomic_add_fetch(field, amount, __ATOMIC_ACQ_REL);
}

// Takes the value and leaves zero. A field that reads zero is left alone: anything added
// after the read stays for the next take, so nothing is lost, and an idle take costs plain
// loads and never writes the cache line that every process shares.
inline std::int32_t Take(std::int32_t* field) {
    if (__atomic_load_n(field, __ATOMIC_RELAXED) == 0) return 0;
    return __atomic_exchange_n(field, 0, __ATOMIC_RELAXED);
}

inline std::uintptr_t Load(const std::uintptr_t* field) {
    return __atomic_load_n(field, __ATOMIC_ACQUIRE);
}

inline void Store(std::uintptr_t* field, std::uintptr_t value) {
    __atomic_store_n(field, value, __ATOMIC_RELEASE);
}

inline std::uintptr_t Take(std::uintptr_t* field) {
    return __atomic_exchange_n(field, 0, __ATOMIC_ACQ_REL);
}

// Process keys: each is put in and taken out of its field in one step, so two processes
// never both take the same free slot, nor both count out the same ended one.
inline std::uint64_t LoadKey(const std::uint64_t* field) {
    return __atomic_load_n(field, __ATOMIC_ACQUIRE);
}

inline void StoreKey(std::uint64_t* field, std::uint64_t value) {
    __atomic_store_n(field, value, __ATOMIC_RELEASE);
}

// Puts `next` in the field if it still holds `expected`; false if it holds anything else.
inline bool ReplaceKey(std::uint64_t* field, std::uint64_t expected, std::uint64_t next) {
    return __atomic_compare_exchange_n(field, &expected, next, false, __ATOMIC_ACQ_REL,
                                       __ATOMIC_ACQUIRE);
}

// Two adjacent 32-bit fields of the record that are always changed and taken together as
// one 64-bit unit: the two distances, and the clicks with the double-clicks. Every access
// to such a pair has the same address and size, so GetData takes each pair with a single
// exchange, and a double-click changes both of its counts in one step.
using PairBits = std::uint64_t __attribute__((may_alias));

template <class T>
struct Pair {
    T first;
    T second;
};

// The first field lies at the lower address: the low half on these little-endian machines.
// Shifts and bit casts keep the halves in registers.
template <class T>
inline Pair<T> Split(std::uint64_t bits) {
    static_assert(sizeof(T) == 4, "pairs of 32-bit fields");
    return {__builtin_bit_cast(T, static_cast<std::uint32_t>(bits)),
            __builtin_bit_cast(T, static_cast<std::uint32_t>(bits >> 32))};
}

template <class T>
inline std::uint64_t Join(const Pair<T>& pair) {
    return static_cast<std::uint64_t>(__builtin_bit_cast(std::uint32_t, pair.first)) |
           static_cast<std::uint64_t>(__builtin_bit_cast(std::uint32_t, pair.second)) << 32;
}

template <class T>
inline PairBits* PairAt(T* first) {
    return reinterpret_cast<PairBits*>(first);
}

// Changes the pair that starts at `first` with `change` (Pair<T> -> Pair<T>), retrying if
// another thread changed it in between.
template <class T, class Change>
inline void UpdatePair(T* first, Change change) {
    PairBits* bits = PairAt(first);
    std::uint64_t current = __atomic_load_n(bits, __ATOMIC_RELAXED);
    std::uint64_t next;
    do {
        next = Join(change(Split<T>(current)));
    } while (!__atomic_compare_exchange_n(bits, &current, next, true, __ATOMIC_RELAXED,
                                          __ATOMIC_RELAXED));
}

// Adds to both counts of a pair, wrapping in two's complement.
inline void AddPair(std::int32_t* first, std::int32_t toFirst, std::int32_t toSecond) {
    UpdatePair(first, [=](Pair<std::int32_t> p) {
        p.first = static_cast<std::int32_t>(static_cast<std::uint32_t>(p.first) +
                                            static_cast<std::uint32_t>(toFirst));
        p.second = static_cast<std::int32_t>(static_cast<std::uint32_t>(p.second) +
                                             static_cast<std::uint32_t>(toSecond));
        return p;
    });
}

// Adds in double precision to one distance of the pair and stores the sum rounded to single
// precision.
inline void AddToDistance(float* first, bool toSecond, double amount) {
    UpdatePair(first, [=](Pair<float> p) {
        if (toSecond) {
            p.second = static_cast<float>(static_cast<double>(p.second) + amount);
        } else {
            p.first = static_cast<float>(static_cast<double>(p.first) + amount);
        }
        return p;
    });
}

// Takes both fields and leaves zeros; a pair that reads zero is left alone, as in Take.
template <class T>
inline Pair<T> TakePair(T* first) {
    PairBits* bits = PairAt(first);
    std::uint64_t taken = __atomic_load_n(bits, __ATOMIC_RELAXED);
    if (taken != 0) taken = __atomic_exchange_n(bits, std::uint64_t{0}, __ATOMIC_RELAXED);
    return Split<T>(taken);
}

template <class T>
inline void ClearPair(T* first) {
    __atomic_store_n(PairAt(first), std::uint64_t{0}, __ATOMIC_RELAXED);
}

}  // namespace tavrel::hooks::shared
