#include "device/open_error.h"

namespace device {

namespace {
int weight(OpenError::Cause cause) {
    switch (cause) {
        case OpenError::Cause::NoAccess:
            return 3;
        case OpenError::Cause::Other:
            return 2;
        case OpenError::Cause::Gone:
            return 1;
        case OpenError::Cause::None:
            break;
    }
    return 0;
}
}  // namespace

OpenError moreTelling(const OpenError &sofar, const OpenError &next) {
    return weight(next.cause) > weight(sofar.cause) ? next : sofar;
}

}  // namespace device
