#include <cerrno>

#include "virtual_frame_state.h"

namespace virtual_frame::detail {

// hidapi's hidraw back end leaves open()'s errno.
void reportOpenError(int error) {
    errno = error;
}

}  // namespace virtual_frame::detail
