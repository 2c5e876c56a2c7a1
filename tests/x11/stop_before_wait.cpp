// Loaded into the hack with LD_PRELOAD by x11_unseen.sh. The hack's first
// wait on its X connection gets a SIGTERM just before it starts sleeping: the
// one moment a stop signal is lost by a hack that lets signals in before its
// wait rather than through it, since unseen, with no DPMS, that wait has no
// time-out. EMBERDELL_STOP_MARK names a file made when the signal was sent,
// so the scenario knows the moment came.
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

extern "C" int ppoll(pollfd* Fds, nfds_t Count, const timespec* Timeout, const sigset_t* Mask) {
  using TPpoll = int (*)(pollfd*, nfds_t, const timespec*, const sigset_t*);
  static const auto Real = reinterpret_cast<TPpoll>(dlsym(RTLD_NEXT, "ppoll"));
  static bool Sent = false;
  if (!Sent && Count == 1) {
    Sent = true;
    if (const char* Mark = std::getenv("EMBERDELL_STOP_MARK"); Mark != nullptr) {
      const int Fd = open(Mark, O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (Fd >= 0) close(Fd);
    }
    kill(getpid(), SIGTERM);
  }
  return Real(Fds, Count, Timeout, Mask);
}
