// convert() next to the bare sequence of library calls the same path makes:
// what the record handling, clamps and dispatch cost on top of the equations.
#include <benchmark/benchmark.h>

#include "convert.h"
#include "derived_quantities.h"
#include "gsw.h"
#include "ies80.h"
#include "reference_water.h"
#include "sample.h"

using namespace thalwen;

namespace {

constexpr double kP = 1000, kLon = 2.348785, kLat = 48.853402, kT = 15, kRefT = 20;
constexpr double kSp = 35, kRho = 1030.5, kC = 42.0, kSg = 1.032;

enum SourceKind { FromSalinity, FromDensity, FromConductivity, FromGravity };

Sample sampleFrom(SourceKind source) {
    Sample s{kP, kLon, kLat, kT, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, kRefT};
    switch (source) {
    case FromSalinity:
        s.practicalSalinity = kSp;
        break;
    case FromDensity:
        s.density = kRho;
        break;
    case FromConductivity:
        s.conductivity = kC;
        break;
    case FromGravity:
        s.specificGravity = kSg;
        break;
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
// Each call waits for the one before, as in the conversion, where every step
// needs the result of the previous one: on(x, previous) is x, but only once
// previous is known. Without it the processor would overlap independent calls
// and the bare sequence would look faster than any real conversion can be.
double on(double x, double previous) { return x + 0.0 * previous; }

double polynomialDensity(const Sample& r, double previous) {
    const double sa = on(r.absoluteSalinity, previous);
    const float pt = static_cast<float>(gsw_pt_from_t(sa, kT, kP, 0));
    const float ct = static_cast<float>(gsw_ct_from_pt(sa, pt));
    return gsw_rho(sa, ct, kP);
}

double bareExactInversion(double sa) {
    double v = gsw_gibbs(0, 0, 1, 0, kT, kP);
    v = gsw_gibbs(0, 0, 1, on(120, v), kT, kP);
    for (int pass = 0; pass < 2; ++pass) {
        v = gsw_gibbs(0, 0, 1, on(sa, v), kT, kP);
        v = gsw_gibbs(1, 0, 1, on(sa, v), kT, kP);
    }
    return v;
}

double barePolynomialInversion(double sa) {
    double v = bareExactInversion(sa);
    for (int set = 0; set < 4; ++set) {
        double ctSa, rhoSa, rhoCt;
        gsw_ct_first_derivatives_wrt_t_exact(on(sa, v), kT, kP, &ctSa, nullptr, nullptr);
        const double ct = gsw_ct_from_t(on(sa, ctSa), kT, kP);
        gsw_rho_first_derivatives(sa, ct, kP, &rhoSa, &rhoCt, nullptr);
        v = rhoSa + rhoCt;
        if (set < 3) v = gsw_rho(on(sa, v), gsw_ct_from_t(on(sa, v), kT, kP), kP);
    }
    return v;
}

double bareIes80(SourceKind source, const Sample& r) {
    switch (source) {
    case FromSalinity: {
        const double c = conductivityFromPracticalSalinity(kSp, kT, kP);
        return densityIes80(on(kSp, c), kT, kP);
    }
    case FromConductivity: {
        const double sp = practicalSalinityFromConductivity(kC / 10, kT, kP);
        return densityIes80(on(r.practicalSalinity, sp), kT, kP);
    }
    default: {
        const double sp = salinityFromDensityIes80(r.density, kT, kP);
        return conductivityFromPracticalSalinity(on(r.practicalSalinity, sp), kT, kP);
    }
    }
}

double bareTeos10(Method method, SourceKind source, const Sample& r) {
    const bool polynomial = method == Method::Teos10Polynomial;
    const double sa = r.absoluteSalinity;
    auto density = [&](double previous) {
        return polynomial ? polynomialDensity(r, previous) : gsw_rho_t_exact(on(sa, previous), kT, kP);
    };
    switch (source) {
    case FromSalinity: {
        const double a = gsw_sa_from_sp(kSp, kP, kLon, kLat);
        const double d = density(a);
        return gsw_c_from_sp(on(kSp, d), kT, kP);
    }
    case FromConductivity: {
        const double sp = gsw_sp_from_c(kC, kT, kP);
        const double a = gsw_sa_from_sp(on(r.practicalSalinity, sp), kP, kLon, kLat);
        return density(a);
    }
    default: {
        const double inverted = polynomial ? barePolynomialInversion(sa) : bareExactInversion(sa);
        const double sp = gsw_sp_from_sa(on(sa, inverted), kP, kLon, kLat);
        return gsw_c_from_sp(on(r.practicalSalinity, sp), kT, kP);
    }
    }
}

void bareCalls(benchmark::State& state) {
    const auto method = static_cast<Method>(state.range(0));
    const auto source = static_cast<SourceKind>(state.range(1));
    Sample result = sampleFrom(source);
    convert(method, result);
    for (auto _ : state) {
        const double equations =
            method == Method::Ies80 ? bareIes80(source, result) : bareTeos10(method, source, result);
        // Every path ends with the specific gravity against pure water.
        benchmark::DoNotOptimize(pureWaterDensity(on(kRefT, equations)));
    }
}

void allPaths(benchmark::internal::Benchmark* b) {
    b->ArgNames({"method", "source"});
    for (int method = 1; method <= 3; ++method)
        for (int source = FromSalinity; source <= FromGravity; ++source) b->Args({method, source});
}

// The derived quantities of a sample converted beforehand, each alone
// (quantity 0 to 4, in the order of DerivedQuantity) and all five (5): what a
// caller asking for them pays on top of the conversion.
void deriveSample(benchmark::State& state) {
    const auto method = static_cast<Method>(state.range(0));
    DerivedQuantitySet wanted;
    for (int i = 0; i < kDerivedQuantityCount; ++i)
        if (state.range(1) == i || state.range(1) == kDerivedQuantityCount) wanted.add(DerivedQuantity(i));
    Sample converted = sampleFrom(FromSalinity);
    convert(method, converted);
    for (auto _ : state) {
        benchmark::DoNotOptimize(converted);
        benchmark::DoNotOptimize(deriveQuantities(method, converted, wanted));
    }
}

void everyQuantity(benchmark::internal::Benchmark* b) {
    b->ArgNames({"method", "quantity"});
    for (int method = 1; method <= 3; ++method)
        for (int quantity = 0; quantity <= kDerivedQuantityCount; ++quantity) b->Args({method, quantity});
}

}  // namespace

BENCHMARK(convertSample)->Apply(allPaths);
BENCHMARK(bareCalls)->Apply(allPaths);
BENCHMARK(deriveSample)->Apply(everyQuantity);

BENCHMARK_MAIN();
