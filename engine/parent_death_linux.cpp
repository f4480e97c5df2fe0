#include <errno.h>
#include <signal.h>
#include <sys/prctl.h>

#include "parent_death.h"

namespace varlo {

int DieWithParent() {
    return ::prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 ? 0 : errno;
}

}  // namespace varlo
