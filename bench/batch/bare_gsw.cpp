// The GSW calls a batch of generate.py's rows needs, and nothing else: the
// floor against which thalwen-convert --jobs 1 is measured. Reads the file
// first (not timed), then times the calls the engine makes for a Practical
// Salinity source under TEOS-10 exact, and the engine's own conversion of the
// same rows (what the batch adds around GSW, text aside); best of three passes.
//   bare_gsw SAMPLES.csv
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "convert.h"
#include "gsw.h"
#include "reference_water.h"

using namespace thalwen;

namespace {

struct Row {
    double pressure, longitude, latitude, temperature, practicalSalinity, referenceTemperature;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bare_gsw SAMPLES.csv\n");
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "r");
    if (!file) {
        std::perror(argv[1]);
        return 2;
    }
    std::vector<Row> rows;
    char line[512];
    if (!std::fgets(line, sizeof line, file)) return 2;  // the header
    for (Row r; std::fscanf(file, "exact,%lf,%lf,%lf,%lf,%lf,%lf\n", &r.pressure, &r.longitude, &r.latitude,
                            &r.temperature, &r.practicalSalinity, &r.referenceTemperature) == 6;)
        rows.push_back(r);
    std::fclose(file);

    double best = 1e9, checksum = 0;
    for (int pass = 0; pass < 3; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        double sum = 0;
        for (const Row& r : rows) {
            const double sa = gsw_sa_from_sp(r.practicalSalinity, r.pressure, r.longitude, r.latitude);
            const double rho = gsw_rho_t_exact(sa, r.temperature, r.pressure);
            const double c = gsw_c_from_sp(r.practicalSalinity, r.temperature, r.pressure);
            sum += sa + rho + c + rho / pureWaterDensity(r.referenceTemperature);
        }
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        checksum = sum;
    }
    double engineBest = 1e9;
    for (int pass = 0; pass < 3; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        double sum = 0;
        for (const Row& r : rows) {
            Sample s = kDefaultSample;
            s.pressure = r.pressure;
            s.longitude = r.longitude;
            s.latitude = r.latitude;
            s.temperature = r.temperature;
            s.practicalSalinity = r.practicalSalinity;
            s.referenceTemperature = r.referenceTemperature;
            convert(Method::Teos10Exact, s);
            sum += s.absoluteSalinity + s.density + s.conductivity + s.specificGravity;
        }
        engineBest =
            std::min(engineBest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        checksum += sum;
    }
    std::printf("%zu rows, %.3f s (checksum %.6g); engine %.3f\n", rows.size(), best, checksum, engineBest);
    return rows.empty() ? 1 : 0;
}
