// convert() next to the bare sequence of library calls the same path makes:
// what the record handling, clamps and dispatch cost on top of the equations.
#include <benchmark/benchmark.h>

#include "dispatch.h"
#include "gsw.h"
#include "ies80.h"
#include "reference_water.h"
#include "sample.h"

namespace {

constexpr double kP = 1000, kLon = 2.348785, kLat = 48.853402, kT = 15, kRefT = 20;
constexpr double kSp = 35, kRho = 1030.5, kC = 42.0, kSg = 1.032;

enum SourceKind { FromSalinity, FromDensity, FromConductivity, FromGravity };

Sample sampleFrom(SourceKind source) {
    Sample s{kP, kLon, kLat, kT, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, kRefT};
    switch (source) {
        case FromSalinity: s.practicalSalinity = kSp; break;
        case FromDensity: s.density = kRho; break;
        case FromConductivity: s.conductivity = kC; break;
        case FromGravity: s.specificGravity = kSg; break;
    }
    return s;
}

void convertSample(benchmark::State& state) {
    const auto method = static_cast<Method>(state.range(0));
    const auto source = static_cast<SourceKind>(state.range(1));
    for (auto _ : state) {
        Sample s = sampleFrom(source);
        benchmark::DoNotOptimize(s);
        convert(method, s);
        benchmark::DoNotOptimize(s);
    }
}

// The library calls of each path (or, for IES-80, our own equations) with the
// very arguments the conversion passes, taken from a conversion made beforehand.
double polynomialDensity(const Sample& r) {
    const float pt = static_cast<float>(gsw_pt_from_t(r.absoluteSalinity, kT, kP, 0));
    const float ct = static_cast<float>(gsw_ct_from_pt(r.absoluteSalinity, pt));
    return gsw_rho(r.absoluteSalinity, ct, kP);
}

double bareExactInversion(double sa) {
    double v = gsw_gibbs(0, 0, 1, 0, kT, kP) + gsw_gibbs(0, 0, 1, 120, kT, kP);
    for (int pass = 0; pass < 2; ++pass) v += gsw_gibbs(0, 0, 1, sa, kT, kP) + gsw_gibbs(1, 0, 1, sa, kT, kP);
    return v;
}

double barePolynomialInversion(double sa) {
    double v = bareExactInversion(sa);
    for (int set = 0; set < 4; ++set) {
        double ctSa, rhoSa, rhoCt;
        gsw_ct_first_derivatives_wrt_t_exact(sa, kT, kP, &ctSa, nullptr, nullptr);
        gsw_rho_first_derivatives(sa, gsw_ct_from_t(sa, kT, kP), kP, &rhoSa, &rhoCt, nullptr);
        v += ctSa + rhoSa + rhoCt;
    }
    for (int pass = 0; pass < 3; ++pass) v += gsw_rho(sa, gsw_ct_from_t(sa, kT, kP), kP);
    return v;
}

double bareIes80(SourceKind source, const Sample& r) {
    switch (source) {
        case FromSalinity:
            return conductivityFromPracticalSalinity(kSp, kT, kP) + densityIes80(kSp, kT, kP);
        case FromConductivity:
            return practicalSalinityFromConductivity(kC / 10, kT, kP) + densityIes80(r.practicalSalinity, kT, kP);
        default:
            return salinityFromDensityIes80(r.density, kT, kP) +
                   conductivityFromPracticalSalinity(r.practicalSalinity, kT, kP);
    }
}

double bareTeos10(Method method, SourceKind source, const Sample& r) {
    const bool polynomial = method == Teos10Polynomial;
    const double sa = r.absoluteSalinity;
    switch (source) {
        case FromSalinity:
            return gsw_sa_from_sp(kSp, kP, kLon, kLat) + (polynomial ? polynomialDensity(r) : gsw_rho_t_exact(sa, kT, kP)) +
                   gsw_c_from_sp(kSp, kT, kP);
        case FromConductivity:
            return gsw_sp_from_c(kC, kT, kP) + gsw_sa_from_sp(r.practicalSalinity, kP, kLon, kLat) +
                   (polynomial ? polynomialDensity(r) : gsw_rho_t_exact(sa, kT, kP));
        default:
            return (polynomial ? barePolynomialInversion(sa) : bareExactInversion(sa)) +
                   gsw_sp_from_sa(sa, kP, kLon, kLat) + gsw_c_from_sp(r.practicalSalinity, kT, kP);
    }
}

void bareCalls(benchmark::State& state) {
    const auto method = static_cast<Method>(state.range(0));
    const auto source = static_cast<SourceKind>(state.range(1));
    Sample result = sampleFrom(source);
    convert(method, result);
    for (auto _ : state) {
        // Every path ends with the specific gravity against pure water.
        const double equations = method == Ies80 ? bareIes80(source, result) : bareTeos10(method, source, result);
        benchmark::DoNotOptimize(equations + pureWaterDensity(kRefT));
    }
}

void allPaths(benchmark::internal::Benchmark* b) {
    b->ArgNames({"method", "source"});
    for (int method = 1; method <= 3; ++method)
        for (int source = FromSalinity; source <= FromGravity; ++source) b->Args({method, source});
}

}  // namespace

BENCHMARK(convertSample)->Apply(allPaths);
BENCHMARK(bareCalls)->Apply(allPaths);

BENCHMARK_MAIN();
