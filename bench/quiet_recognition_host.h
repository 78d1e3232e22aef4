// A main window in running mode for benchmarks of recognition: it is not
// learning, shows nothing, and ignores a log error.
#pragma once

#include <string>

#include "capture/recognizer.h"

namespace tavrel::bench {

class QuietRecognitionHost : public RecognitionHost {
public:
    bool Aprendiendo() const override { return false; }
    void ShowActions(TComando&) override {}
    void reportLogError(const std::string&) override {}
};

}  // namespace tavrel::bench
