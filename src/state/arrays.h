// Fixed-size arrays indexed the way the chemistry is written: Act[s] for s = 1..500,
// KHsite(k, i) for k = 1..2, i = 1..8. Element 0 of every dimension exists (and is unused
// unless a table says otherwise), so formulas read like their definitions.
//
// Index checks are on in debug and sanitizer builds (KELVA_CHECKED) and cost nothing in release.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>

#ifdef KELVA_CHECKED
#define KELVA_INDEX_CHECK(cond) assert(cond)
#else
#define KELVA_INDEX_CHECK(cond) ((void)0)
#endif

namespace kelva {

// One dimension, valid indices 0..Hi.
template <class T, int Hi> struct Arr {
    std::array<T, Hi + 1> a{};

    static constexpr int hi = Hi;
    T& operator[](int i) {
        KELVA_INDEX_CHECK(i >= 0 && i <= Hi);
        return a[static_cast<std::size_t>(i)];
    }
    const T& operator[](int i) const {
        KELVA_INDEX_CHECK(i >= 0 && i <= Hi);
        return a[static_cast<std::size_t>(i)];
    }
    T& operator()(int i) { return (*this)[i]; }
    const T& operator()(int i) const { return (*this)[i]; }
    void fill(const T& v) { a.fill(v); }
    static constexpr bool inRange(int i) { return i >= 0 && i <= Hi; }
};

// Two dimensions, indices 0..H1 and 0..H2.
template <class T, int H1, int H2> struct Arr2 {
    std::array<T, (H1 + 1) * (H2 + 1)> a{};

    T& operator()(int i, int j) {
        KELVA_INDEX_CHECK(i >= 0 && i <= H1 && j >= 0 && j <= H2);
        return a[static_cast<std::size_t>(i * (H2 + 1) + j)];
    }
    const T& operator()(int i, int j) const {
        KELVA_INDEX_CHECK(i >= 0 && i <= H1 && j >= 0 && j <= H2);
        return a[static_cast<std::size_t>(i * (H2 + 1) + j)];
    }
    // The row of the last index, for tight loops: row(k)[s] == (*this)(k, s).
    T* row(int i) { return &a[static_cast<std::size_t>(i * (H2 + 1))]; }
    const T* row(int i) const { return &a[static_cast<std::size_t>(i * (H2 + 1))]; }
    void fill(const T& v) { a.fill(v); }
};

// Three dimensions, indices 0..H1, 0..H2, 0..H3.
template <class T, int H1, int H2, int H3> struct Arr3 {
    std::array<T, (H1 + 1) * (H2 + 1) * (H3 + 1)> a{};

    T& operator()(int i, int j, int k) {
        KELVA_INDEX_CHECK(i >= 0 && i <= H1 && j >= 0 && j <= H2 && k >= 0 && k <= H3);
        return a[static_cast<std::size_t>((i * (H2 + 1) + j) * (H3 + 1) + k)];
    }
    const T& operator()(int i, int j, int k) const {
        KELVA_INDEX_CHECK(i >= 0 && i <= H1 && j >= 0 && j <= H2 && k >= 0 && k <= H3);
        return a[static_cast<std::size_t>((i * (H2 + 1) + j) * (H3 + 1) + k)];
    }
    void fill(const T& v) { a.fill(v); }
};

// A "number" cell of the files: any numeric value, or nothing at all when it was never
// assigned (written back as an empty field). Reads as 0 when empty.
struct Num {
    double v = 0.0;
    bool set = false;

    Num() = default;
    Num(double x) : v(x), set(true) {} // NOLINT: assigning a value is the common case
    Num& operator=(double x) {
        v = x;
        set = true;
        return *this;
    }
    operator double() const { return v; } // NOLINT
    void clear() { *this = Num{}; }
    bool empty() const { return !set; }
};

// A block of tables that exists only once it is first written: until then it reads as all
// zeros, as tables that were never written do. A copy copies the block when it exists, so a
// copied state behaves exactly as the original.
template <class T> class OnDemand {
  public:
    OnDemand() = default;
    OnDemand(const OnDemand& o) : p_(o.p_ ? std::make_unique<T>(*o.p_) : nullptr) {}
    OnDemand& operator=(const OnDemand& o) {
        if (this != &o) p_ = o.p_ ? std::make_unique<T>(*o.p_) : nullptr;
        return *this;
    }
    OnDemand(OnDemand&&) noexcept = default;
    OnDemand& operator=(OnDemand&&) noexcept = default;
    ~OnDemand() = default;

    // The block for writing, made (all zeros) on first use.
    T& write() {
        if (!p_) p_ = std::make_unique<T>();
        return *p_;
    }
    // The block for reading: the zeros it would hold when it was never made.
    const T& read() const {
        static const T kZeros{};
        return p_ ? *p_ : kZeros;
    }

  private:
    std::unique_ptr<T> p_;
};

} // namespace kelva
