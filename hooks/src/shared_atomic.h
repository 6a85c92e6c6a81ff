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

// Adds in double precision to the field's current value and stores the sum rounded to
// single precision; retried if another thread changed the field in between.
inline void Add(float* field, double amount) {
    float current;
    __atomic_load(field, &current, __ATOMIC_RELAXED);
    float next;
    do {
        next = static_cast<float>(static_cast<double>(current) + amount);
    } while (!__atomic_compare_exchange(field, &current, &next, true, __ATOMIC_RELAXED,
                                        __ATOMIC_RELAXED));
}

// As for the counts; only +0.0 counts as nothing to take.
inline float Take(float* field) {
    float taken;
    __atomic_load(field, &taken, __ATOMIC_RELAXED);
    if (__builtin_bit_cast(std::uint32_t, taken) == 0) return taken;
    float zero = 0.0f;
    __atomic_exchange(field, &zero, &taken, __ATOMIC_RELAXED);
    return taken;
}

inline void Store(float* field, float value) {
    __atomic_store(field, &value, __ATOMIC_RELAXED);
}

}  // namespace tavrel::hooks::shared
