#include "intelligibility.h"

#include "calc/materials.h"
#include "calc/numberformat.h"
#include "vectorclones.h"
#include "widgets/backgroundjobs.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <map>
#include <mutex>
#include <numbers>
#include <thread>

namespace plan {
namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();

// Male speech, each band relative to the 500 Hz band, dB.
constexpr BandValues SpeechRelative = {-2.5, 0.5, 0.0, -6.0, -12.0, -18.0, -24.0};
constexpr BandValues AWeighting = {-16.1, -8.6, -3.2, 0.0, 1.2, 1.0, -1.1};

// The NR curves: L = A + B NR in each band.
constexpr BandValues NoiseA = {22.0, 12.0, 4.8, 0.0, -3.5, -6.1, -8.0};
constexpr BandValues NoiseB = {0.87, 0.93, 0.974, 1.0, 1.015, 1.025, 1.03};

// The threshold of hearing as a level of the band, dB.
constexpr BandValues HearingThreshold = {46.0, 27.0, 12.0, 6.5, 7.5, 8.0, 12.0};

// The weights of the bands and the redundancy of each band with the next.
constexpr BandValues BandWeight = {0.085, 0.127, 0.230, 0.233, 0.309, 0.224, 0.173};
constexpr std::array<double, OctaveBands - 1> Redundancy = {0.085, 0.078, 0.065, 0.011, 0.047, 0.095};

constexpr std::array<double, ModulationFrequencies> Modulation
    = {0.63, 0.8, 1.0, 1.25, 1.6, 2.0, 2.5, 3.15, 4.0, 5.0, 6.3, 8.0, 10.0, 12.5};

constexpr double SpeedOfSound = 343.0; // m/s
// e^(-13.8 t / T) falls by 60 dB in T.
constexpr double DecayRate = 13.8;

// The ratios m / (1 - m) of the modulation transfers whose signal-to-noise
// ratio 10 lg(m / (1 - m)) is -15 and +15 dB.
const double LowestRatio = std::pow(10.0, -1.5);
const double HighestRatio = std::pow(10.0, 1.5);
// Far below any band's intensity (the threshold of hearing's is above
// 10^0.65): D - a at most this is m = 1.
constexpr double TinyIntensity = 1e-300;

// 10 lg x = (10 / ln 10) ln x; the natural logarithm is the quicker.
constexpr double TenOverLn10 = 4.34294481903251827651;

// 10^(-40 / 10): the law's power behind a loudspeaker.
constexpr double BehindGain = 1e-4;

double power(double level)
{
    return std::pow(10.0, level / 10.0);
}

double levelOf(double intensity)
{
    return 10.0 * std::log10(intensity);
}

// The share of a band's level by which it masks the band above, dB.
double maskingDb(double level)
{
    if (level < 63.0)
        return 0.5 * level - 65.0;
    if (level < 67.0)
        return 1.8 * level - 146.9;
    if (level < 100.0)
        return 0.5 * level - 59.8;
    return -10.0;
}

// 10^(maskingDb(L) / 10) of a band intensity 10^(L / 10): where the
// masking rises by half the level, 10^((0.5 L - c) / 10) is the square
// root of the intensity times 10^(-c / 10), which spares a logarithm and a
// power a band at every point of a map.
double maskingFactor(double intensity)
{
    static const double From63 = std::pow(10.0, 6.3);
    static const double From67 = std::pow(10.0, 6.7);
    constexpr double From100 = 1e10;
    static const double Below63 = std::pow(10.0, -6.5);
    static const double From67To100 = std::pow(10.0, -5.98);
    if (intensity < From63)
        return Below63 * std::sqrt(intensity);
    if (intensity < From67)
        return power(maskingDb(levelOf(intensity)));
    if (intensity < From100)
        return From67To100 * std::sqrt(intensity);
    return 0.1;
}

bool isHorn(calc::Mounting mounting)
{
    return mounting == calc::Mounting::RoundHorn || mounting == calc::Mounting::SquareHorn;
}

bool shapedRoom(const LevelInputs &inputs)
{
    return !inputs.shape.isEmpty() && !inputs.shape.isPlainRectangle();
}

double floorAreaOf(const LevelInputs &inputs)
{
    return shapedRoom(inputs) ? inputs.shape.area() : inputs.length * inputs.width;
}

double perimeterOf(const LevelInputs &inputs)
{
    return shapedRoom(inputs) ? inputs.shape.perimeter() : 2.0 * (inputs.length + inputs.width);
}

// What every point of a room shares: the band figures and the inputs in
// the frame of the map (the room's axes for a room of any shape).
struct Prepared {
    LevelInputs local;
    RoomAcoustics acoustics;
    // The level map's directivity law for the loudspeakers of local.
    std::optional<DirectivityLaw> law;
    BandValues speech{};      // a loudspeaker's band intensity 1 m in front
    BandValues reverberant{}; // a loudspeaker's reverberant band intensity
    BandValues noise{};       // the noise's band intensity
    BandValues threshold{};   // the threshold's band intensity
    // 1 / (1 + j w T / 13.8): the reverberant tail's modulation transfer,
    // real and imaginary parts.
    std::array<std::array<double, ModulationFrequencies>, OctaveBands> tailRe{};
    std::array<std::array<double, ModulationFrequencies>, OctaveBands> tailIm{};
};

std::optional<Prepared> prepare(const StiInputs &inputs)
{
    if (!hasSti(inputs))
        return std::nullopt;
    Prepared p;
    p.acoustics = *roomAcoustics(floorAreaOf(inputs.level), perimeterOf(inputs.level), inputs.height,
                                 inputs.surfaces);
    p.local = inputs.level;
    if (shapedRoom(inputs.level)) {
        const calc::Axes &axes = inputs.level.shape.axes();
        p.local.length = inputs.level.shape.length();
        p.local.width = inputs.level.shape.width();
        for (Placement &placement : p.local.placements)
            placement = placementToLocal(placement, axes);
        p.local.shape = inputs.level.shape.inLocalFrame();
    } else {
        p.local.shape = calc::Shape();
    }
    p.law.emplace(p.local);
    const double q = directivityFactor(inputs.level);
    const BandValues spectrum = speechSpectrum();
    const BandValues noise = noiseSpectrum(inputs.noise);
    for (int k = 0; k < OctaveBands; ++k) {
        p.speech[k] = power(inputs.level.splTotal + spectrum[k]);
        p.reverberant[k] = p.speech[k] * 16.0 * std::numbers::pi / (q * p.acoustics.roomConstant[k]);
        p.noise[k] = power(noise[k]);
        p.threshold[k] = power(HearingThreshold[k]);
        for (int f = 0; f < ModulationFrequencies; ++f) {
            const double omega = 2.0 * std::numbers::pi * Modulation[f];
            const std::complex<double> tail
                = 1.0 / std::complex<double>(1.0, omega * p.acoustics.reverberationTime[k] / DecayRate);
            p.tailRe[k][f] = tail.real();
            p.tailIm[k][f] = tail.imag();
        }
    }
    return p;
}

// cos 2 pi x and sin 2 pi x, quicker than the library's for the phases of
// a map: x less its nearest whole number of quarter turns leaves at most
// an eighth of a turn, whose cosine and sine the polynomials of the usual
// kind (those of the Cephes library) give to within about 1e-16; the
// quarter turns then exchange and negate them. Without branches, so that
// the compiler takes several loudspeakers at a time: the quarter turns are
// rounded by adding 1.5 x 2^52, which leaves the nearest whole number (ties
// to even, as std::nearbyint) in the low bits (|x| is far below 2^49).
[[gnu::always_inline]] inline void cosSinOfTurns(double x, double &c, double &s)
{
    constexpr double Rounding = 0x1.8p52;
    const double shifted = 4.0 * x + Rounding;
    const double quarters = shifted - Rounding;
    const std::uint64_t quarter = std::bit_cast<std::uint64_t>(shifted) & 3;
    const double z = (x - 0.25 * quarters) * (2.0 * std::numbers::pi);
    const double zz = z * z;
    const double sine = z
        + z * zz
            * (((((1.58962301576546568060e-10 * zz - 2.50507477628578072866e-8) * zz
                  + 2.75573136213857245213e-6)
                     * zz
                 - 1.98412698295895385996e-4)
                    * zz
                + 8.33333333332211858878e-3)
                   * zz
               - 1.66666666666666307295e-1);
    const double cosine = 1.0 - 0.5 * zz
        + zz * zz
            * (((((-1.13585365213876817300e-11 * zz + 2.08757008419747316778e-9) * zz
                  - 2.75573141792967388112e-7)
                     * zz
                 + 2.48015872888517045348e-5)
                    * zz
                - 1.38888888888730564116e-3)
                   * zz
               + 4.16666666666665929218e-2);
    // Quarter turns 0 .. 3: (c, s), (-s, c), (-c, -s), (s, -c).
    const bool exchanged = (quarter & 1) != 0;
    const double first = exchanged ? sine : cosine;
    const double second = exchanged ? cosine : sine;
    c = ((quarter + 1) & 2) != 0 ? -first : first;
    s = (quarter & 2) != 0 ? -second : second;
}

// Loudspeakers taken at a time by the sums of a point: the processor's
// vector units take them side by side.
constexpr int Lanes = 4;
using LaneValues = std::array<double, Lanes>;

// e^(-j w t) of Lanes arrivals after t seconds at each modulation
// frequency.
struct Phasors {
    std::array<LaneValues, ModulationFrequencies> re;
    std::array<LaneValues, ModulationFrequencies> im;
};

constexpr bool nearly(double a, double b)
{
    return a - b < 1e-12 && b - a < 1e-12;
}

// Four frequencies take a cosine and a sine; each of the other ten is a
// sum of two already known (1.6 = 0.8 + 0.8, 3.15 = 5 x 0.63, 12.5 = 10 +
// 2.5, ...), so its phasor is their product: a sixth of the trigonometry of
// a map.
[[gnu::always_inline]] inline void phasorsOf(const double *delay, Phasors &p)
{
    static_assert(nearly(Modulation[4], 2 * Modulation[1]) && nearly(Modulation[5], 2 * Modulation[2])
                  && nearly(Modulation[6], 2 * Modulation[3]) && nearly(Modulation[7], 5 * Modulation[0])
                  && nearly(Modulation[8], 2 * Modulation[5])
                  && nearly(Modulation[9], Modulation[8] + Modulation[2])
                  && nearly(Modulation[10], 2 * Modulation[7]) && nearly(Modulation[11], 2 * Modulation[8])
                  && nearly(Modulation[12], 2 * Modulation[9])
                  && nearly(Modulation[13], Modulation[12] + Modulation[6]));
    for (int f = 0; f < 4; ++f) {
        for (int l = 0; l < Lanes; ++l) {
            double c = 0.0;
            double s = 0.0;
            cosSinOfTurns(Modulation[f] * delay[l], c, s);
            p.re[f][l] = c;
            p.im[f][l] = -s;
        }
    }
    const auto product = [&p](int into, int a, int b) {
        for (int l = 0; l < Lanes; ++l) {
            const double re = p.re[a][l] * p.re[b][l] - p.im[a][l] * p.im[b][l];
            const double im = p.re[a][l] * p.im[b][l] + p.im[a][l] * p.re[b][l];
            p.re[into][l] = re;
            p.im[into][l] = im;
        }
    };
    product(4, 1, 1);   // 1.6
    product(5, 2, 2);   // 2
    product(6, 3, 3);   // 2.5
    product(7, 0, 0);   // 1.26, for a moment
    product(7, 7, 7);   // 2.52, for a moment
    product(7, 7, 0);   // 3.15
    product(8, 5, 5);   // 4
    product(9, 8, 2);   // 5
    product(10, 7, 7);  // 6.3
    product(11, 8, 8);  // 8
    product(12, 9, 9);  // 10
    product(13, 12, 6); // 12.5
}

// The STI at a point of the map's frame, every loudspeaker summed. Built
// twice: for processors with AVX2 and FMA, whose vector units are wider,
// and for every one; the program takes the first its processor runs. The
// file fuses no product and sum (see CMakeLists.txt), so that both do the
// same arithmetic and give the same figures.
PLAN_VECTOR_CLONES double stiOf(const Prepared &p, QPointF point)
{
    // The direct powers relative to a loudspeaker's level 1 m in front,
    // and the arrivals' phases, summed at each modulation frequency, Lanes
    // loudspeakers side by side. In real and imaginary parts: the
    // library's complex product and magnitude guard against infinities at
    // a cost the map feels.
    std::array<LaneValues, ModulationFrequencies> directRe{}, directIm{}, arrivalsRe{}, arrivalsIm{};
    double directSum = 0.0;
    const double h2 = p.local.dropH * p.local.dropH;
    const std::vector<Placement> &placements = p.local.placements;
    for (std::size_t first = 0; first < placements.size(); first += Lanes) {
        // The gains (the law is not taken side by side) and the delays; a
        // lane past the last loudspeaker has no gain and no arrival.
        LaneValues gain{};
        LaneValues delay{};
        LaneValues present{};
        for (int l = 0; l < Lanes && first + std::size_t(l) < placements.size(); ++l) {
            const Placement &placement = placements[first + std::size_t(l)];
            const double dx = point.x() - placement.position.x();
            const double dy = point.y() - placement.position.y();
            const double r2 = dx * dx + dy * dy + h2;
            gain[std::size_t(l)] = p.law->factor(placement, point) / std::max(r2, 1.0);
            delay[std::size_t(l)] = std::sqrt(r2) / SpeedOfSound;
            present[std::size_t(l)] = 1.0;
            directSum += gain[std::size_t(l)];
        }
        Phasors arrival;
        phasorsOf(delay.data(), arrival);
        for (int f = 0; f < ModulationFrequencies; ++f) {
            for (int l = 0; l < Lanes; ++l) {
                directRe[f][l] += gain[l] * arrival.re[f][l];
                directIm[f][l] += gain[l] * arrival.im[f][l];
                arrivalsRe[f][l] += present[l] * arrival.re[f][l];
                arrivalsIm[f][l] += present[l] * arrival.im[f][l];
            }
        }
    }
    const auto laneSum = [](const LaneValues &v) { return (v[0] + v[1]) + (v[2] + v[3]); };
    std::array<double, ModulationFrequencies> sumDirectRe, sumDirectIm, sumArrivalsRe, sumArrivalsIm;
    for (int f = 0; f < ModulationFrequencies; ++f) {
        sumDirectRe[f] = laneSum(directRe[f]);
        sumDirectIm[f] = laneSum(directIm[f]);
        sumArrivalsRe[f] = laneSum(arrivalsRe[f]);
        sumArrivalsIm[f] = laneSum(arrivalsIm[f]);
    }
    const double count = double(p.local.placements.size());
    BandValues transmission{};
    double belowTotal = 0.0; // the speech and noise of the band below
    for (int k = 0; k < OctaveBands; ++k) {
        const double speech = p.speech[k] * directSum + p.reverberant[k] * count;
        const double total = speech + p.noise[k];
        const double masking = k == 0 ? 0.0 : belowTotal * maskingFactor(belowTotal);
        const double denominator = total + masking + p.threshold[k];
        // m / (1 - m) = a / (D - a) with m = a / D, each held between its
        // limits (an a at or above D is m = 1): beyond them the
        // signal-to-noise ratio is held at -15 or +15 dB. Without branches,
        // so that the compiler takes two frequencies at a time.
        std::array<double, ModulationFrequencies> ratio;
        const double speechK = p.speech[k];
        const double reverberantK = p.reverberant[k];
        for (int f = 0; f < ModulationFrequencies; ++f) {
            const double tailRe = p.tailRe[k][f];
            const double tailIm = p.tailIm[k][f];
            const double re = speechK * sumDirectRe[f]
                + reverberantK * (sumArrivalsRe[f] * tailRe - sumArrivalsIm[f] * tailIm);
            const double im = speechK * sumDirectIm[f]
                + reverberantK * (sumArrivalsRe[f] * tailIm + sumArrivalsIm[f] * tailRe);
            const double a = std::sqrt(re * re + im * im);
            ratio[f]
                = std::min(HighestRatio, std::max(LowestRatio, a / std::max(denominator - a, TinyIntensity)));
        }
        double ratios = 1.0;
        for (const double r : ratio)
            ratios *= r;
        // The mean of (SNR + 15) / 30 over the frequencies, the SNRs summed
        // as the logarithm of the product of their ratios (each between
        // 10^-1.5 and 10^1.5, so that the product of 14 stays finite): one
        // logarithm a band instead of one a frequency.
        const double snrSum = TenOverLn10 * std::log(ratios);
        transmission[k] = (snrSum + 15.0 * ModulationFrequencies) / (30.0 * ModulationFrequencies);
        belowTotal = total;
    }
    double sti = 0.0;
    for (int k = 0; k < OctaveBands; ++k)
        sti += BandWeight[k] * transmission[k];
    for (int k = 0; k + 1 < OctaveBands; ++k)
        sti -= Redundancy[k] * std::sqrt(transmission[k] * transmission[k + 1]);
    return std::clamp(sti, 0.0, 1.0);
}

int threadCount(int requested)
{
    if (requested > 0)
        return requested;
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace

QStringList materialNames()
{
    return calc::materialNames();
}

std::optional<BandValues> absorptionOf(const QString &name)
{
    return calc::materialAbsorption(name);
}

std::optional<RoomAcoustics> roomAcoustics(double floorArea, double perimeter, double height,
                                           const Surfaces &surfaces)
{
    const auto valid = [](double value) { return std::isfinite(value) && value > 0.0; };
    if (!valid(floorArea) || !valid(perimeter) || !valid(height))
        return std::nullopt;
    if (surfaces.reverberationTime && !valid(*surfaces.reverberationTime))
        return std::nullopt;
    const std::optional<BandValues> floor = absorptionOf(surfaces.floor);
    const std::optional<BandValues> walls = absorptionOf(surfaces.walls);
    const std::optional<BandValues> ceiling = absorptionOf(surfaces.ceiling);
    if (!floor || !walls || !ceiling)
        return std::nullopt;
    RoomAcoustics room;
    const double wallArea = perimeter * height;
    room.volume = floorArea * height;
    room.surface = 2.0 * floorArea + wallArea;
    for (int k = 0; k < OctaveBands; ++k) {
        const double a
            = (floorArea * (*floor)[k] + wallArea * (*walls)[k] + floorArea * (*ceiling)[k]) / room.surface;
        room.absorption[k] = a;
        room.reverberationTime[k] = surfaces.reverberationTime
            ? *surfaces.reverberationTime
            : 0.161 * room.volume / (-room.surface * std::log(1.0 - a));
        room.roomConstant[k] = room.surface * a / (1.0 - a);
    }
    return room;
}

BandValues speechSpectrum()
{
    double weighted = 0.0;
    for (int k = 0; k < OctaveBands; ++k)
        weighted += power(SpeechRelative[k] + AWeighting[k]);
    BandValues spectrum{};
    for (int k = 0; k < OctaveBands; ++k)
        spectrum[k] = SpeechRelative[k] - levelOf(weighted);
    return spectrum;
}

BandValues aWeighting()
{
    return AWeighting;
}

BandValues noiseSpectrum(double noiseDbA)
{
    // The A-weighted sum grows with NR without bound either way: halve the
    // interval until it is below any rounding that matters.
    const auto weightedSum = [](double nr) {
        double sum = 0.0;
        for (int k = 0; k < OctaveBands; ++k)
            sum += power(NoiseA[k] + NoiseB[k] * nr + AWeighting[k]);
        return levelOf(sum);
    };
    double low = noiseDbA - 40.0;
    double high = noiseDbA + 40.0;
    for (int i = 0; i < 200 && high - low > 1e-12; ++i) {
        const double middle = (low + high) / 2.0;
        (weightedSum(middle) < noiseDbA ? low : high) = middle;
    }
    const double nr = (low + high) / 2.0;
    BandValues bands{};
    for (int k = 0; k < OctaveBands; ++k)
        bands[k] = NoiseA[k] + NoiseB[k] * nr;
    return bands;
}

namespace {

// Q of a law whose angles are valid: the integral of the law over the
// sphere.
double integratedDirectivityFactor(const LevelInputs &inputs)
{
    // The law in the loudspeaker's own frame: one under the ceiling, 1 m
    // above the plane, sees the front half of the sphere on the plane.
    LevelInputs one = inputs;
    one.dropH = 1.0;
    one.shape = calc::Shape();
    one.placements.clear();
    const Placement down{QPointF(0.0, 0.0), Side::Ceiling, QPointF()};
    const DirectivityLaw law(one);
    const auto gain = [&](double dx, double dy) { return law.factor(down, QPointF(dx, dy)); };
    double front = 0.0;
    if (!isHorn(inputs.mounting)) {
        // The law depends on the angle from the axis only: rings of
        // 2 pi sin(theta) d theta.
        constexpr int Steps = 4000;
        const double step = std::numbers::pi / 2.0 / Steps;
        for (int i = 0; i < Steps; ++i) {
            const double theta = (i + 0.5) * step;
            front += gain(std::tan(theta), 0.0) * 2.0 * std::numbers::pi * std::sin(theta) * step;
        }
    } else {
        // The horn's two angles th and tv: the direction (tan th, tan tv, 1)
        // normalised, dOmega = sec^2 th sec^2 tv / (1 + tan^2 th + tan^2 tv)^(3/2)
        // dth dtv; the law is even in both, one quadrant counts four times.
        constexpr int Steps = 300;
        const double step = std::numbers::pi / 2.0 / Steps;
        for (int i = 0; i < Steps; ++i) {
            const double th = (i + 0.5) * step;
            const double a = std::tan(th);
            for (int j = 0; j < Steps; ++j) {
                const double tv = (j + 0.5) * step;
                const double b = std::tan(tv);
                const double norm2 = 1.0 + a * a + b * b;
                const double jacobian = (1.0 + a * a) * (1.0 + b * b) / (norm2 * std::sqrt(norm2));
                front += 4.0 * gain(a, b) * jacobian * step * step;
            }
        }
    }
    const double behind = 2.0 * std::numbers::pi * BehindGain;
    return 4.0 * std::numbers::pi / (front + behind);
}

} // namespace

double directivityFactor(const LevelInputs &inputs)
{
    const auto valid
        = [](double degrees) { return std::isfinite(degrees) && degrees > 0.0 && degrees <= 180.0; };
    const bool horn = isHorn(inputs.mounting);
    if (!valid(inputs.dirDeg) || (horn && !valid(inputs.vDirDeg)))
        return Nan;
    // Q depends on the law's angles alone, and a building holds few laws:
    // each is integrated once (a horn's takes 90 000 points of the law).
    using Key = std::array<double, 3>;
    static std::mutex lock;
    static std::map<Key, double> known;
    const Key key{horn ? 1.0 : 0.0, inputs.dirDeg, horn ? inputs.vDirDeg : 0.0};
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (const auto found = known.find(key); found != known.end())
            return found->second;
    }
    const double q = integratedDirectivityFactor(inputs);
    const std::lock_guard<std::mutex> guard(lock);
    if (known.size() >= 4096)
        known.clear();
    known.emplace(key, q);
    return q;
}

bool hasSti(const StiInputs &inputs)
{
    if (!hasLevelMap(inputs.level))
        return false;
    if (!(std::isfinite(inputs.height) && inputs.height > 0.0 && inputs.height >= inputs.level.dropH))
        return false;
    if (!std::isfinite(inputs.noise))
        return false;
    return roomAcoustics(floorAreaOf(inputs.level), perimeterOf(inputs.level), inputs.height, inputs.surfaces)
        .has_value();
}

double stiAt(const StiInputs &inputs, QPointF point)
{
    const std::optional<Prepared> prepared = prepare(inputs);
    if (!prepared)
        return Nan;
    const QPointF local = shapedRoom(inputs.level) ? inputs.level.shape.axes().toLocal(point) : point;
    return stiOf(*prepared, local);
}

QPointF StiMap::centre(int column, int row) const
{
    const int firstColumn = column * block;
    const int firstRow = row * block;
    const int width = std::min(block, cells.columns - firstColumn);
    const int height = std::min(block, cells.rows - firstRow);
    return QPointF((firstColumn + width / 2.0) * cells.cellWidth,
                   (firstRow + height / 2.0) * cells.cellHeight);
}

QRectF StiMap::blockRect(int column, int row) const
{
    const int firstColumn = column * block;
    const int firstRow = row * block;
    const int lastColumn = std::min(cells.columns, firstColumn + block);
    const int lastRow = std::min(cells.rows, firstRow + block);
    return QRectF(QPointF(firstColumn * cells.cellWidth, firstRow * cells.cellHeight),
                  QPointF(lastColumn * cells.cellWidth, lastRow * cells.cellHeight));
}

double StiMap::blockCells(int column, int row) const
{
    const int width = std::min(block, cells.columns - column * block);
    const int height = std::min(block, cells.rows - row * block);
    return double(width) * height;
}

std::optional<StiMap> stiMap(const StiInputs &inputs, const std::atomic<bool> *cancel, int threads,
                             int blockCells)
{
    const std::optional<Prepared> prepared = prepare(inputs);
    if (!prepared)
        return std::nullopt;
    const Prepared &p = *prepared;
    StiMap map;
    map.cells = cellGrid(p.local.length, p.local.width);
    map.block = std::max(1, blockCells);
    map.columns = (map.cells.columns + map.block - 1) / map.block;
    map.rows = (map.cells.rows + map.block - 1) / map.block;
    map.values.assign(std::size_t(map.columns) * map.rows, Nan);
    map.shaped = shapedRoom(inputs.level);
    if (map.shaped)
        map.axes = inputs.level.shape.axes();
    map.acoustics = p.acoustics;
    // A plan that is its own mirror image across the room's length or
    // width, its blocks too: the first half of the columns, or rows, is
    // computed, and each block of the other half takes its image's value.
    const Mirrors mirrors = map.shaped ? Mirrors() : planMirrors(map.cells, p.local.placements);
    const bool acrossLength = mirrors.acrossLength && map.cells.columns % map.block == 0;
    const bool acrossWidth = mirrors.acrossWidth && map.cells.rows % map.block == 0;
    const int computedColumns = acrossLength ? (map.columns + 1) / 2 : map.columns;
    const int computedRows = acrossWidth ? (map.rows + 1) / 2 : map.rows;
    std::atomic<bool> failed{false};
    const auto stopped = [&] { return failed.load(std::memory_order_relaxed) || (cancel && cancel->load()); };
    inParallel(std::size_t(computedRows), threadCount(threads), [&](std::size_t row) {
        if (stopped())
            return;
        for (int column = 0; column < computedColumns; ++column) {
            // A block of many loudspeakers takes long: a cancel is heard
            // after each.
            if (stopped())
                return;
            const QPointF centre = map.centre(column, int(row));
            if (map.shaped && !p.local.shape.contains(centre))
                continue;
            const double value = stiOf(p, centre);
            if (!std::isfinite(value))
                failed = true;
            map.values[row * std::size_t(map.columns) + std::size_t(column)] = value;
        }
        double *line = map.values.data() + row * std::size_t(map.columns);
        for (int column = computedColumns; column < map.columns; ++column)
            line[column] = line[map.columns - 1 - column];
    });
    if (stopped())
        return std::nullopt;
    for (int row = computedRows; row < map.rows; ++row) {
        const auto image = map.values.begin() + std::ptrdiff_t(map.rows - 1 - row) * map.columns;
        std::copy(image, image + map.columns, map.values.begin() + std::ptrdiff_t(row) * map.columns);
    }
    return map;
}

StiSummary summarize(const StiMap &map)
{
    StiSummary summary;
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    double area = 0.0;
    double weighted = 0.0;
    double above = 0.0;
    for (int row = 0; row < map.rows; ++row) {
        for (int column = 0; column < map.columns; ++column) {
            const double value = map.at(column, row);
            if (std::isnan(value))
                continue;
            const double cells = map.blockCells(column, row);
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
            area += cells;
            weighted += cells * value;
            above += value >= StiContour ? cells : 0.0;
        }
    }
    summary.reverberation = (map.acoustics.reverberationTime[2] + map.acoustics.reverberationTime[3]) / 2.0;
    if (area <= 0.0)
        return summary;
    summary.lowest = lowest;
    summary.highest = highest;
    summary.mean = weighted / area;
    summary.contourShare = 100.0 * above / area;
    return summary;
}

QString stiSummaryText(const StiSummary &summary, QChar decimalPoint)
{
    return QStringLiteral("Разборчивость STI: от %1 до %2, среднее %3. Не ниже %4: %5 % площади. "
                          "Время реверберации %6 с.")
        .arg(calc::formatFixed(summary.lowest, 2, decimalPoint),
             calc::formatFixed(summary.highest, 2, decimalPoint),
             calc::formatFixed(summary.mean, 2, decimalPoint), calc::formatFixed(StiContour, 2, decimalPoint),
             calc::formatFixed(summary.contourShare, 1, decimalPoint),
             calc::formatFixed(summary.reverberation, 2, decimalPoint));
}

std::vector<QLineF> stiContourSegments(const StiMap &map, double value)
{
    // The blocks as a level map of evenly spaced centres; the last block
    // of a row or column, which may be smaller, has its centre moved back
    // to where it is afterwards.
    LevelMap even;
    const double blockWidth = map.block * map.cells.cellWidth;
    const double blockHeight = map.block * map.cells.cellHeight;
    even.grid = CellGrid{map.columns, map.rows, blockWidth, blockHeight};
    even.levels = map.values;
    const auto place = [](double at, double size, int count, double actualLast) {
        // at lies between the even centres of blocks count - 2 and count - 1
        // or before them; only the last stretch changes.
        const double lastEven = (count - 0.5) * size;
        const double beforeLast = (count - 1.5) * size;
        if (count < 2 || at <= beforeLast)
            return at;
        const double t = (at - beforeLast) / (lastEven - beforeLast);
        return beforeLast + t * (actualLast - beforeLast);
    };
    const QPointF lastCentre
        = map.columns > 0 && map.rows > 0 ? map.centre(map.columns - 1, map.rows - 1) : QPointF();
    const auto moved = [&](QPointF point) {
        const QPointF local(place(point.x(), blockWidth, map.columns, lastCentre.x()),
                            place(point.y(), blockHeight, map.rows, lastCentre.y()));
        return map.shaped ? map.axes.toFloor(local) : local;
    };
    std::vector<QLineF> segments = contourSegments(even, value);
    for (QLineF &segment : segments)
        segment = QLineF(moved(segment.p1()), moved(segment.p2()));
    return segments;
}

} // namespace plan
