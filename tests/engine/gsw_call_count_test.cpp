// Counts the library calls the inversions and conversions make. This program defines the GSW
// functions the inversions call and forwards them to the library, so that
// every call from our code passes through a counter; calls the library makes
// internally are not counted.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "convert.h"
#include "gsw.h"
#include "sample.h"
#include "teos10_inversions.h"

using namespace thalwen;

namespace {

std::map<std::string, int> calls;
int depth = 0;

// The library itself, by path: our definitions above shadow its names.
template <typename F>
F real(const char* name) {
    static void* library = dlopen(GSW_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) throw std::runtime_error(dlerror());
    return reinterpret_cast<F>(dlsym(library, name));
}

struct Counted {
    explicit Counted(const char* name) {
        if (depth++ == 0) ++calls[name];
    }
    ~Counted() { --depth; }
};

}  // namespace

extern "C" {
double gsw_gibbs(int ns, int nt, int np, double sa, double t, double p) {
    Counted c("gsw_gibbs");
    return real<double (*)(int, int, int, double, double, double)>("gsw_gibbs")(ns, nt, np, sa, t, p);
}
double gsw_ct_from_t(double sa, double t, double p) {
    Counted c("gsw_ct_from_t");
    return real<double (*)(double, double, double)>("gsw_ct_from_t")(sa, t, p);
}
double gsw_rho(double sa, double ct, double p) {
    Counted c("gsw_rho");
    return real<double (*)(double, double, double)>("gsw_rho")(sa, ct, p);
}
void gsw_rho_first_derivatives(double sa, double ct, double p, double* a, double* b, double* d) {
    Counted c("gsw_rho_first_derivatives");
    real<void (*)(double, double, double, double*, double*, double*)>("gsw_rho_first_derivatives")(sa, ct, p, a, b, d);
}
double gsw_sa_from_sp(double sp, double p, double lon, double lat) {
    Counted c("gsw_sa_from_sp");
    return real<double (*)(double, double, double, double)>("gsw_sa_from_sp")(sp, p, lon, lat);
}
double gsw_rho_t_exact(double sa, double t, double p) {
    Counted c("gsw_rho_t_exact");
    return real<double (*)(double, double, double)>("gsw_rho_t_exact")(sa, t, p);
}
double gsw_c_from_sp(double sp, double t, double p) {
    Counted c("gsw_c_from_sp");
    return real<double (*)(double, double, double)>("gsw_c_from_sp")(sp, t, p);
}
void gsw_ct_first_derivatives_wrt_t_exact(double sa, double t, double p, double* a, double* b, double* d) {
    Counted c("gsw_ct_first_derivatives_wrt_t_exact");
    real<void (*)(double, double, double, double*, double*, double*)>("gsw_ct_first_derivatives_wrt_t_exact")(sa, t, p,
                                                                                                              a, b, d);
}
}

// Good and failing densities alike: the cost of an inversion never depends on its input.
class InversionCallCount : public testing::TestWithParam<double> {
protected:
    void SetUp() override { calls.clear(); }
};

TEST_P(InversionCallCount, ExactMakesSixGibbsEvaluations) {
    absoluteSalinityFromDensityExact(GetParam(), 4, 1000);
    EXPECT_EQ(calls, (std::map<std::string, int>{{"gsw_gibbs", 6}}));
}

TEST_P(InversionCallCount, PolynomialAddsFourDerivativeSetsAndThreeDensities) {
    absoluteSalinityFromDensityPolynomial(GetParam(), 4, 1000);
    EXPECT_EQ(calls, (std::map<std::string, int>{{"gsw_gibbs", 6},
                                                 {"gsw_ct_from_t", 3 + 4},
                                                 {"gsw_rho", 3},
                                                 {"gsw_rho_first_derivatives", 4},
                                                 {"gsw_ct_first_derivatives_wrt_t_exact", 4}}));
}

INSTANTIATE_TEST_SUITE_P(Densities, InversionCallCount, testing::Values(1000.0, 1004.0, 1030.0, 1082.0));

// A conversion told the results wanted runs their equations alone, and leaves
// the others absent.
TEST(ConversionCallCount, OnlyTheEquationsOfTheResultsWanted) {
    using enum Quantity;
    const std::map<std::string, int> density = {{"gsw_sa_from_sp", 1}, {"gsw_rho_t_exact", 1}};
    const std::pair<QuantitySet, std::map<std::string, int>> rows[] = {
        {kEveryQuantity, {{"gsw_sa_from_sp", 1}, {"gsw_rho_t_exact", 1}, {"gsw_c_from_sp", 1}}},
        {{Conductivity}, {{"gsw_c_from_sp", 1}}},
        {{Density}, density},
        {{SpecificGravity}, density},
        {{AbsoluteSalinity}, {{"gsw_sa_from_sp", 1}}},
        {{}, {}},
    };
    for (const auto& [wanted, expected] : rows) {
        Sample s = kDefaultSample;
        s.practicalSalinity = 35;
        calls.clear();
        convert(Method::Teos10Exact, s, wanted);
        EXPECT_EQ(calls, expected) << wanted.bits();
        // No number made of an absent density.
        EXPECT_EQ(isPresent(s.specificGravity), wanted.contains(Density) || wanted.contains(SpecificGravity));
        EXPECT_EQ(isPresent(s.conductivity), wanted.contains(Conductivity));
    }
}
