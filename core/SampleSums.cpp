#include "core/SampleSums.h"

#include <algorithm>
#include <cstring>

#include "core/SampleElement.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace klt {
namespace {

constexpr size_t kStride = TSampleElement::kSize;

int32_t LoadAltitude(const uint8_t* record) {
    int32_t altitude;
    std::memcpy(&altitude, record + 8, sizeof altitude); // little-endian like the record
    return altitude;
}

// Climb is a running difference, kept scalar in both paths; branch-free since altitudes go up and
// down at random.
int64_t AddClimb(const uint8_t* records, size_t count, int32_t& previous) {
    int64_t climb = 0;
    for (size_t i = 0; i < count; ++i) {
        const int32_t altitude = LoadAltitude(records + i * kStride);
        const int64_t rise = int64_t{altitude} - previous;
        climb += rise & -static_cast<int64_t>(rise > 0);
        previous = altitude;
    }
    return climb;
}

void AddScalar(TSampleSums& sums, const uint8_t* records, size_t count) {
    int64_t w = 0, r = 0, b = 0, v = 0, t = 0;
    for (size_t i = 0; i < count; ++i) {
        const auto& s = *reinterpret_cast<const TSampleElement*>(records + i * kStride);
        w += s.StoredPower();
        r += s.StoredCadence();
        b += s.StoredHeartRate();
        v += s.Speed();
        t += s.Temperature();
    }
    sums.watts += w;
    sums.revolutions += r;
    sums.beats += b;
    sums.speed += v;
    sums.temperature += t;
    sums.climb += AddClimb(records, count, sums.previousAltitude);
}

#if defined(__x86_64__)
// Two records per 256-bit register, one in each 128-bit half, rearranged by byte shuffles into
// 32-bit lanes: [power, cadence, heart rate, speed], [temperature << 16] and [altitude].
__attribute__((target("avx2"))) void AddAvx2(TSampleSums& sums, const uint8_t* records, size_t count) {
    constexpr char Z = -1; // shuffle index that yields 0
    // The second record starts 2 bytes into its half (see the loads below), hence the offsets.
    const __m256i fields = _mm256_setr_epi8(0, 1, Z, Z, 2, Z, Z, Z, 3, Z, Z, Z, 4, 5, Z, Z, //
                                            2, 3, Z, Z, 4, Z, Z, Z, 5, Z, Z, Z, 6, 7, Z, Z);
    const __m256i temperatureHigh = _mm256_setr_epi8(Z, Z, 12, 13, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, //
                                                     Z, Z, 14, 15, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z);
    const __m256i altitude = _mm256_setr_epi8(8, 9, 10, 11, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, //
                                              10, 11, 12, 13, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z);
    // The previous record's altitude sits where the second record's altitude will be.
    __m256i previousAltitudes = _mm256_setr_epi32(0, 0, 0, 0, sums.previousAltitude, 0, 0, 0);
    __m256i climb = _mm256_setzero_si256();
    // 32-bit lanes cannot overflow within one batch: 8192 samples of at most 65535 each.
    constexpr size_t kBatch = 2 * 8192;
    size_t i = 0;
    while (i + 2 <= count) {
        const size_t end = std::min(count - count % 2, i + kBatch);
        __m256i acc = _mm256_setzero_si256();
        __m256i accTemperature = _mm256_setzero_si256();
        for (; i < end; i += 2) {
            const uint8_t* p = records + i * kStride;
            // The first record's 16-byte load takes 2 bytes of the second record; the second one
            // is loaded to end with its record, so nothing beyond the pair is touched.
            const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + kStride - 2));
            const __m256i pair = _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
            acc = _mm256_add_epi32(acc, _mm256_shuffle_epi8(pair, fields));
            accTemperature =
                _mm256_add_epi32(accTemperature, _mm256_srai_epi32(_mm256_shuffle_epi8(pair, temperatureHigh), 16));
            // Rises from each record's predecessor: where the altitude went up, the 32-bit
            // difference is exact as an unsigned number, and the upper half of the lane is zero.
            const __m256i altitudes = _mm256_shuffle_epi8(pair, altitude);
            const __m256i predecessors = _mm256_permute2x128_si256(altitudes, previousAltitudes, 0x03);
            const __m256i rose = _mm256_cmpgt_epi32(altitudes, predecessors);
            climb = _mm256_add_epi64(climb, _mm256_and_si256(_mm256_sub_epi32(altitudes, predecessors), rose));
            previousAltitudes = altitudes;
        }
        alignas(32) uint32_t lanes[8];
        alignas(32) int32_t temperatures[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), acc);
        _mm256_store_si256(reinterpret_cast<__m256i*>(temperatures), accTemperature);
        sums.watts += int64_t{lanes[0]} + lanes[4];
        sums.revolutions += int64_t{lanes[1]} + lanes[5];
        sums.beats += int64_t{lanes[2]} + lanes[6];
        sums.speed += int64_t{lanes[3]} + lanes[7];
        sums.temperature += int64_t{temperatures[0]} + temperatures[4];
    }
    alignas(32) int64_t rises[4];
    alignas(32) int32_t last[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(rises), climb);
    _mm256_store_si256(reinterpret_cast<__m256i*>(last), previousAltitudes);
    sums.climb += rises[0] + rises[2];
    sums.previousAltitude = last[4];
    AddScalar(sums, records + i * kStride, count - i);
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

} // namespace

void TSampleSums::AddRun(const uint8_t* records, size_t count) {
#if defined(__x86_64__)
    if (HasAvx2()) {
        AddAvx2(*this, records, count);
        return;
    }
#endif
    AddScalar(*this, records, count);
}

} // namespace klt
