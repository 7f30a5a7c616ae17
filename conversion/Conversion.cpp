#include "Conversion.h"

#include "IndexWriter.h"
#include "Messages.h"
#include "OutputChecks.h"

namespace {

ConversionOutcome finish(UserFeedback& feedback, ConversionOutcome outcome) {
    feedback.showArrowCursor();
    return outcome;
}

void warn(UserFeedback& feedback, const char* text) {
    feedback.showMessage(text, messages::kWarningCaption, MessageIcon::Exclamation);
}

bool stopRequested(const WriteOptions& options) {
    return options.stopRequested != nullptr && *options.stopRequested != 0;
}

}  // namespace

// The accepted mark and the settings, shared by both kinds of source.
template <typename Settings>
static ConversionOutcome checkSettings(ConversionJob& job, const Settings& settings, UserFeedback& feedback) {
    feedback.showWaitCursor();
    if (job.bitmapAccepted == 0) return finish(feedback, ConversionOutcome::NoBitmap);
    SettingsError error = applySettings(job, settings);
    if (error != SettingsError::NoError) {
        feedback.showMessage(settingsErrorMessage(error), messages::kNoCaption, MessageIcon::Information);
        return finish(feedback, ConversionOutcome::SettingsRefused);
    }
    return ConversionOutcome::Converted;
}

ConversionOutcome checkBuffers(ConversionJob& job, UserFeedback& feedback, CheckedConversion& checked) {
    if (!checked.buffers_.allocate(job)) {
        warn(feedback, messages::kNotEnoughMemory);
        return finish(feedback, ConversionOutcome::OutOfMemory);
    }
    checked.job_ = &job;
    return ConversionOutcome::Converted;
}

ConversionOutcome checkConversion(ConversionJob& job, const SettingsText& texts, UserFeedback& feedback,
                                  CheckedConversion& checked) {
    ConversionOutcome outcome = checkSettings(job, texts, feedback);
    if (outcome != ConversionOutcome::Converted) return outcome;
    // A bitmap replaced, changed or cut short after it was chosen would otherwise give
    // tiles of garbage; refuse it before anything is written.
    BitmapData data = checked.bitmap_.open(job);
    if (data != BitmapData::Complete) {
        checked.bitmap_.close();
        warn(feedback, data == BitmapData::Short ? messages::kBitmapTruncated : messages::kCannotReadBitmap);
        return finish(feedback, ConversionOutcome::BitmapUnusable);
    }
    if (!checked.bitmap_.allocate()) {
        checked.bitmap_.close();
        warn(feedback, messages::kNotEnoughMemory);
        return finish(feedback, ConversionOutcome::OutOfMemory);
    }
    checked.source_ = &checked.bitmap_;
    return checkBuffers(job, feedback, checked);
}

ConversionOutcome checkConversion(ConversionJob& job, const SettingsValues& values, PixelSource& source,
                                  UserFeedback& feedback, CheckedConversion& checked) {
    ConversionOutcome outcome = checkSettings(job, values, feedback);
    if (outcome != ConversionOutcome::Converted) return outcome;
    checked.source_ = &source;
    return checkBuffers(job, feedback, checked);
}

ConversionReport writeConversion(CheckedConversion& checked, OutputFolder& output, UserFeedback& feedback,
                                 const WriteOptions& options) {
    const ConversionJob& job = checked.job();
    ConversionReport report;
    IndexWriter index(output);
    auto done = [&](ConversionOutcome outcome) {
        report.outcome = finish(feedback, outcome);
        report.oldIndexRemoved = index.removedOldIndex();
        return report;
    };

    // Writing the map would replace the very file it is made from.
    std::vector<FileIdentity> inputs;
    checked.source().inputFiles(inputs);
    OutputPath standing;
    if (inputIsOutput(job, inputs, output, standing)) {
        warn(feedback, messages::kCannotCreateOutput);
        feedback.noteFailedFile(standing, 0);
        return done(ConversionOutcome::OutputFailed);
    }

    index.replaceExisting(options.replaceExistingMap);
    if (index.writeIndex(job, feedback) != IndexWriteResult::Written) return done(ConversionOutcome::OutputFailed);
    if (stopRequested(options)) return done(ConversionOutcome::Interrupted);

    TileWriter tiles(output, checked.source(), checked.buffers(), options.threadCount);
    tiles.stopWhen(options.stopRequested);
    TileWriteResult written = tiles.writeTiles(job, feedback);
    report.tilesWritten = tiles.tilesWritten();
    if (written == TileWriteResult::Interrupted) return done(ConversionOutcome::Interrupted);
    if (written != TileWriteResult::Written) return done(ConversionOutcome::OutputFailed);

    // A bitmap rewritten while it was read gives a map of two pictures.
    if (!checked.source().unchanged()) {
        warn(feedback, messages::kCannotReadBitmap);
        feedback.noteFailedFile(job.bitmapPath, 0);
        return done(ConversionOutcome::OutputFailed);
    }
    if (options.replaceExistingMap) removeOldTiles(job, output, feedback);
    if (stopRequested(options)) return done(ConversionOutcome::Interrupted);
    if (index.publishIndex(job, feedback) != IndexWriteResult::Written) return done(ConversionOutcome::OutputFailed);

    feedback.showMessage(messages::kSuccess, messages::kNoCaption, MessageIcon::Information);
    return done(ConversionOutcome::Converted);
}

ConversionOutcome runConversion(ConversionJob& job, const SettingsText& texts, UserFeedback& feedback,
                                FileReading& reading, OutputFolder& output, const WriteOptions& options) {
    CheckedConversion checked(reading);
    ConversionOutcome outcome = checkConversion(job, texts, feedback, checked);
    if (outcome != ConversionOutcome::Converted) return outcome;
    return writeConversion(checked, output, feedback, options).outcome;
}

ConversionOutcome runConversion(ConversionJob& job, const SettingsText& texts, UserFeedback& feedback,
                                const char* outputFolder) {
    CheckedConversion checked;
    ConversionOutcome outcome = checkConversion(job, texts, feedback, checked);
    if (outcome != ConversionOutcome::Converted) return outcome;
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(outputFolder, error);
    if (!output) {
        warn(feedback, messages::kCannotCreateOutput);
        feedback.noteFailedFile(outputFolder, error);
        return finish(feedback, ConversionOutcome::OutputFailed);
    }
    return writeConversion(checked, *output, feedback).outcome;
}
