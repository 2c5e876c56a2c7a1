/* Loaded into the Wine process with LD_PRELOAD by slow_disk.sh: every write
 * to a ".bmp" file takes EMBERDELL_SLOW_WRITE_MS longer, as on a slow or
 * network disk. Other files are left alone. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

static int is_picture(int fd) {
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, path, sizeof path - 1);
  if (n < 4) return 0;
  path[n] = 0;
  return strcmp(path + n - 4, ".bmp") == 0;
}

static void pause_for_disk(int fd) {
  const char* ms = getenv("EMBERDELL_SLOW_WRITE_MS");
  if (ms == NULL || !is_picture(fd)) return;
  long wait = atol(ms);
  struct timespec t = {wait / 1000, (wait % 1000) * 1000000L};
  nanosleep(&t, NULL);
}

ssize_t write(int fd, const void* buf, size_t count) {
  static ssize_t (*real)(int, const void*, size_t);
  if (real == NULL) real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
  pause_for_disk(fd);
  return real(fd, buf, count);
}

ssize_t pwrite(int fd, const void* buf, size_t count, off_t offset) {
  static ssize_t (*real)(int, const void*, size_t, off_t);
  if (real == NULL) real = (ssize_t(*)(int, const void*, size_t, off_t))dlsym(RTLD_NEXT, "pwrite");
  pause_for_disk(fd);
  return real(fd, buf, count, offset);
}

ssize_t pwrite64(int fd, const void* buf, size_t count, off_t offset) {
  static ssize_t (*real)(int, const void*, size_t, off_t);
  if (real == NULL) real = (ssize_t(*)(int, const void*, size_t, off_t))dlsym(RTLD_NEXT, "pwrite64");
  pause_for_disk(fd);
  return real(fd, buf, count, offset);
}
