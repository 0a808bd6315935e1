// Words that threads share without locks: whole-word loads, stores and
// read-modify-writes in a given memory order. They go through the compiler's
// __atomic builtins, which GCC and every Clang we build with (Emscripten's
// included) provide, unlike std::atomic_ref; ThreadSanitizer sees them as
// atomic accesses all the same.
#pragma once

enum WORD_Order {
    WORD_RELAXED = __ATOMIC_RELAXED,
    WORD_ACQUIRE = __ATOMIC_ACQUIRE,
    WORD_RELEASE = __ATOMIC_RELEASE,
    WORD_SEQ_CST = __ATOMIC_SEQ_CST,
};

template <typename T>
T WORD_Load(const T& word, WORD_Order order) {
    T value;
    __atomic_load(&word, &value, order);
    return value;
}

template <typename T>
void WORD_Store(T& word, T value, WORD_Order order) {
    __atomic_store(&word, &value, order);
}

// Both return the word's value from before the change.
template <typename T>
T WORD_FetchOr(T& word, T bits, WORD_Order order) {
    return __atomic_fetch_or(&word, bits, order);
}

template <typename T>
T WORD_FetchAdd(T& word, T amount, WORD_Order order) {
    return __atomic_fetch_add(&word, amount, order);
}
