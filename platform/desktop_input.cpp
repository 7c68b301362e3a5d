#include "platform/desktop_input.h"

#include <algorithm>
#include <cmath>

// The parts of the desktop's view that are the same on every operating system: the judgement of a view.

namespace platform {
namespace {

bool sameMapping(const TouchMapping &a, const TouchMapping &b) {
    return a.kind == b.kind && a.screen == b.screen && a.screenCount == b.screenCount && a.region == b.region &&
           a.orientation == b.orientation && a.how == b.how;
}

}  // namespace

bool MatrixChange::taken() const {
    if (alreadySet)
        return true;
    if (!error.isEmpty() || !held)
        return false;
    for (std::size_t i = 0; i < requested.size(); ++i)
        if (std::abs((*held)[i] - requested[i]) > 1e-4)
            return false;
    return true;
}

DesktopJudgement judgeDesktop(const DesktopView &view) {
    DesktopJudgement judgement;
    for (const DesktopDevice &device : view.devices) {
        const auto known = [&](const TouchMapping &mapping) { return sameMapping(mapping, device.mapping); };
        if (device.decides && std::none_of(judgement.mappings.cbegin(), judgement.mappings.cend(), known))
            judgement.mappings << device.mapping;
        if (!device.correction.isEmpty())
            judgement.corrections << QStringLiteral("%1: %2: %3").arg(device.system, device.name, device.correction);
    }
    return judgement;
}

}  // namespace platform
