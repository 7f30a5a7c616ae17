// convert_driver BITMAP OUTPUT_DIR FOLDER [THREADS]
// The conversion core's write step with a chosen number of threads (0: automatic), after
// the probe and the check step, as CONVERT runs them: the index under its temporary
// name, every tile, the index put in place.

#include "BenchJob.h"

int main(int argc, char** argv) {
    bench::Arguments args;
    ConversionJob job;
    CheckedConversion checked;
    if (!bench::parseArguments(argc, argv, args) || !bench::prepareJob(args, job, checked)) return 1;
    return bench::writeMap(checked, args.threads) ? 0 : 1;
}
