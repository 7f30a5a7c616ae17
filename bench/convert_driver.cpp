// convert_driver BITMAP OUTPUT_DIR FOLDER [THREADS]
// The conversion core's tile writer with a chosen number of threads (0: automatic), after
// the probe and the index writer, as CONVERT runs them.

#include "BenchJob.h"
#include "TileWriter.h"

int main(int argc, char** argv) {
    bench::Arguments args;
    ConversionJob job;
    if (!bench::parseArguments(argc, argv, args) || !bench::prepareJob(args, job)) return 1;
    bench::PrintingFeedback feedback;
    return TileWriter(platformFileServices(), args.threads).writeTiles(job, feedback) == kTilesWritten ? 0 : 1;
}
