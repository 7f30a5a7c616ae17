#pragma once
// Runs the quantizer with one chosen converter for as long as a ForcedRowKernel lives, so
// every converter this processor has, the portable one included, can be put through whole
// conversions.

#include <vector>

#include "ColorQuantizerKernels.h"

class ForcedRowKernel {
public:
    explicit ForcedRowKernel(ColorQuantizer::detail::RowKernel kernel)
        : previous_(ColorQuantizer::detail::forceRowKernel(kernel)) {}
    ~ForcedRowKernel() { ColorQuantizer::detail::forceRowKernel(previous_); }
    ForcedRowKernel(const ForcedRowKernel&) = delete;
    ForcedRowKernel& operator=(const ForcedRowKernel&) = delete;

private:
    ColorQuantizer::detail::RowKernel previous_;
};

// The converters this processor can run, narrowest (the portable one) first.
inline std::vector<ColorQuantizer::detail::RowKernel> availableRowKernels() {
    std::vector<ColorQuantizer::detail::RowKernel> kernels;
    for (ColorQuantizer::detail::RowKernel kernel : ColorQuantizer::detail::kAllRowKernels)
        if (ColorQuantizer::detail::rowKernelAvailable(kernel)) kernels.push_back(kernel);
    return kernels;
}
