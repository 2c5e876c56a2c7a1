/* Loaded into the Wine process with LD_PRELOAD by the fault scripts: every
 * write to a file whose name ends in one of EMBERDELL_SLOW_WRITE_SUFFIXES
 * (blank-separated, ".bmp" when unset) takes EMBERDELL_SLOW_WRITE_MS longer,
 * as on a slow or network disk. Other files are left alone. When
 * EMBERDELL_SLOW_WRITE_MARK names a file, it is made as a write is held up,
 * so a script knows the moment to act. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

static int ends_with(const char* path, size_t n, const char* suffix, size_t length) {
  return length > 0 && n >= length && memcmp(path + n - length, suffix, length) == 0;
}

static int is_slowed(int fd) {
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, path, sizeof path - 1);
  if (n < 1) return 0;
  path[n] = 0;
  const char* suffixes = getenv("EMBERDELL_SLOW_WRITE_SUFFIXES");
  if (suffixes == NULL) suffixes = ".bmp";
  for (const char* at = suffixes; *at;) {
    size_t length = strcspn(at, " ");
    if (ends_with(path, (size_t)n, at, length)) return 1;
    at += length;
    at += strspn(at, " ");
  }
  return 0;
}

static void mark_held_up(void) {
  const char* mark = getenv("EMBERDELL_SLOW_WRITE_MARK");
  if (mark == NULL || *mark == 0) return;
  int fd = open(mark, O_WRONLY | O_CREAT, 0644);
  if (fd >= 0) close(fd);
}

static void pause_for_disk(int fd) {
  const char* ms = getenv("EMBERDELL_SLOW_WRITE_MS");
  if (ms == NULL || !is_slowed(fd)) return;
  mark_held_up();
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
