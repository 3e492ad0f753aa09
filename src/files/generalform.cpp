// The general decimal form, computed directly for up to 15 significant digits.
//
// A double is m 2^e exactly. Its digits are the integer nearest to W = m 2^e 10^k for the k that
// puts W between 10^(digits-1) and 10^digits. 10^k is taken from a table as a 64-bit mantissa c
// and a binary exponent q (10^k ~ c 2^q, relative error below 2^-62), so m c is an exact 128-bit
// product and W is that product shifted right. The rounding is certain unless W lies within the
// table's error of a half (a near tie, or an exact one): those rare values, and every case
// outside the table, are left to std::to_chars.
#include "files/generalform.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace kelva::text {

namespace {

using u64 = std::uint64_t;
using u128 = unsigned __int128;

constexpr int kMinPow = -310, kMaxPow = 340; // 10^k for every k a double and 1..15 digits need
constexpr int kFastDigits = 15;              // 10^15 < 2^50: W and its error fit the arithmetic
constexpr int kErrorBits = 62;               // relative error of a table entry below 2^-62

struct Power {
    u64 c; // top bit set
    int q; // 10^k ~ c 2^q
};

// The table, built once by exact-enough arithmetic on 128-bit mantissas: each step multiplies
// or divides by 10 and truncates below 2^-123 of the value, so after 340 steps the entries
// still carry 60 bits more than their 64.
struct PowerTable {
    std::array<Power, kMaxPow - kMinPow + 1> p{};
    PowerTable() {
        auto store = [&](int k, u128 mant, int q) {
            p[static_cast<std::size_t>(k - kMinPow)] = {static_cast<u64>(mant >> 64), q + 64};
        };
        const u128 top = u128{1} << 127;
        u128 mant = top;
        int q = -127;
        store(0, mant, q);
        for (int k = 1; k <= kMaxPow; ++k) {
            mant = (mant >> 4) * 10;
            q += 4;
            while (!(mant & top)) mant <<= 1, --q;
            store(k, mant, q);
        }
        mant = top;
        q = -127;
        for (int k = -1; k >= kMinPow; --k) {
            // Long division by 10, bit by bit below the quotient's last bit, keeps the
            // mantissa normalised without losing the bits a plain shift would.
            u128 quot = mant / 10, rem = mant % 10;
            while (!(quot & top)) {
                rem <<= 1;
                quot = (quot << 1) | (rem >= 10 ? 1 : 0);
                if (rem >= 10) rem -= 10;
                --q;
            }
            mant = quot;
            store(k, mant, q);
        }
    }
    const Power& operator()(int k) const { return p[static_cast<std::size_t>(k - kMinPow)]; }
};

const PowerTable& powers() {
    static const PowerTable table;
    return table;
}

constexpr std::array<u64, kFastDigits + 1> kPow10 = [] {
    std::array<u64, kFastDigits + 1> t{};
    t[0] = 1;
    for (std::size_t i = 1; i < t.size(); ++i) t[i] = t[i - 1] * 10;
    return t;
}();

// The two-digit texts "00" .. "99".
constexpr std::array<char, 200> kPairs = [] {
    std::array<char, 200> t{};
    for (std::size_t i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char>('0' + i / 10);
        t[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

// The `count` last decimal digits of n at d.
void writeDigits(char* d, int count, std::uint32_t n) {
    for (; count >= 2; count -= 2, n /= 100) std::memcpy(d + count - 2, &kPairs[2 * (n % 100)], 2);
    if (count == 1) d[0] = static_cast<char>('0' + n % 10);
}

char* fallback(char* out, double v, int digits, Spelling spelling) {
    char* end = std::to_chars(out, out + kGeneralFormSize, v, std::chars_format::general, digits).ptr;
    if (spelling == Spelling::Printf) return end;
    char* digit = out + (*out == '-' ? 1 : 0);
    if (end - digit > 1 && digit[0] == '0' && digit[1] == '.') { // "0.05" -> ".05"
        std::memmove(digit, digit + 1, static_cast<std::size_t>(end - digit - 1));
        --end;
    }
    for (char* c = out; c != end; ++c)
        if (*c == 'e') *c = 'E';
    return end;
}

// The `digits` significant digits of |v| as an integer n (10^(digits-1) <= n < 10^digits) and
// the decimal exponent x of its first digit; false when the rounding is not certain.
bool roundedDigits(double v, int digits, u64& n, int& x) {
    const u64 bits = std::bit_cast<u64>(v) & ~(u64{1} << 63);
    const u64 field = bits >> 52, fraction = bits & ((u64{1} << 52) - 1);
    const u64 m = field == 0 ? fraction : fraction | (u64{1} << 52);
    const int e = field == 0 ? -1074 : static_cast<int>(field) - 1075;
    const int log2 = e + 63 - std::countl_zero(m); // |v| lies in [2^log2, 2^(log2+1))
    x = (log2 * 315653) >> 20;                     // floor(log2 log10(2)): x or x - 1
    const u64 low = kPow10[static_cast<std::size_t>(digits - 1)],
              high = kPow10[static_cast<std::size_t>(digits)];
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int k = digits - 1 - x;
        if (k < kMinPow || k > kMaxPow) return false;
        const Power& p = powers()(k);
        const int s = -(p.q + e); // W = m c 2^-s
        if (s <= 0 || s >= 128) return false;
        const u128 product = static_cast<u128>(m) * p.c;
        const u128 whole = product >> s;
        if (whole >= high) {
            ++x;
            continue;
        }
        if (whole < low) {
            --x;
            continue;
        }
        // The table's error, in units of 2^-s of W, with a unit to spare.
        const u128 error =
            s > kErrorBits ? (whole + 1) << (s - kErrorBits) : ((whole + 1) >> (kErrorBits - s)) + 1;
        const u128 rest = product & ((u128{1} << s) - 1), half = u128{1} << (s - 1);
        const u128 gap = rest > half ? rest - half : half - rest;
        if (gap <= error) return false;
        n = static_cast<u64>(whole) + (rest > half ? 1 : 0);
        if (n == high) { // 9.99..95 rounds up to the next power of ten
            n = low;
            ++x;
        }
        return true;
    }
    return false;
}

} // namespace

char* generalForm(char* out, double v, int digits, Spelling spelling) {
    u64 n = 0;
    int x = 0;
    if (digits < 1 || digits > kFastDigits || !roundedDigits(v, digits, n, x))
        return fallback(out, v, digits, spelling);
    const bool file = spelling == Spelling::File;
    char d[kFastDigits];
    int i = digits;
    if (digits > 8) { // the last eight digits, then the rest, each in 32 bits
        writeDigits(d + digits - 8, 8, static_cast<std::uint32_t>(n % 100000000));
        n /= 100000000;
        i -= 8;
    }
    writeDigits(d, i, static_cast<std::uint32_t>(n));
    int len = digits;
    while (len > 1 && d[len - 1] == '0') --len;

    char* p = out;
    if (v < 0) *p++ = '-';
    if (x < digits && x >= -4) { // fixed: x + 1 digits before the point
        if (x >= 0) {
            for (int i = 0; i <= x; ++i) *p++ = i < len ? d[i] : '0';
            if (len > x + 1) {
                *p++ = '.';
                for (int i = x + 1; i < len; ++i) *p++ = d[i];
            }
        } else {
            if (!file) *p++ = '0';
            *p++ = '.';
            for (int i = 0; i < -x - 1; ++i) *p++ = '0';
            for (int i = 0; i < len; ++i) *p++ = d[i];
        }
        return p;
    }
    *p++ = d[0];
    if (len > 1) {
        *p++ = '.';
        for (int i = 1; i < len; ++i) *p++ = d[i];
    }
    *p++ = file ? 'E' : 'e';
    *p++ = x < 0 ? '-' : '+';
    const int ax = x < 0 ? -x : x;
    if (ax >= 100) *p++ = static_cast<char>('0' + ax / 100);
    *p++ = static_cast<char>('0' + ax / 10 % 10);
    *p++ = static_cast<char>('0' + ax % 10);
    return p;
}

} // namespace kelva::text
