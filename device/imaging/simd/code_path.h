// Which implementation the imaging kernels run: plain C++ that any processor
// runs, or AVX2 where the processor has it. The choice is made once, at the
// first use: the best the processor supports, unless QM4200_SIMD names a path
// ("scalar" or "avx2"; a path the processor lacks falls back to scalar).
// Tests switch paths with ScopedCodePath to check that both give the same
// bytes.
#pragma once

namespace qm::device::imaging {

enum class CodePath {
    Scalar,
    Avx2,
};

CodePath activeCodePath();
bool codePathSupported(CodePath path);
const char* codePathName(CodePath path);

// Runs the kernels on `path` while it lives (on scalar when the processor
// lacks `path`), then returns to the previous choice. Not for concurrent use.
class ScopedCodePath {
public:
    explicit ScopedCodePath(CodePath path);
    ~ScopedCodePath();
    ScopedCodePath(const ScopedCodePath&) = delete;
    ScopedCodePath& operator=(const ScopedCodePath&) = delete;

private:
    CodePath previous_;
};

}  // namespace qm::device::imaging
