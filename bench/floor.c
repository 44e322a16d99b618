/* The floor for quorvel-probe's per-file cost: the same answers from nothing but the raw system
 * calls the probe needs (open, read 64, seek, read 248, close), no buffering layers, no output
 * per file. Paths come NUL-separated on standard input, as quorvel-probe -0 takes them; the
 * counts of each answer are printed at the end so that the two can be checked against each other.
 * With --fstat it also asks for the file's type after each open, as the probe's POSIX back end
 * does to refuse devices and pipes unread: the floor for a probe that must do so. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int check_type = 0;

static int Bitness(const char* path) {
  unsigned char bytes[248];
  int magic = 0;
  const int fd = open(path, O_RDONLY);
  if (fd < 0) return 0;
  if (check_type) {
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      close(fd);
      return 0;
    }
  }
  if (read(fd, bytes, 64) == 64 && bytes[0] == 'M' && bytes[1] == 'Z') {
    const long lfanew = (long)(int)((unsigned)bytes[60] | (unsigned)bytes[61] << 8 | (unsigned)bytes[62] << 16 |
                                    (unsigned)bytes[63] << 24);
    if (lfanew >= 0 && lseek(fd, (off_t)lfanew, SEEK_SET) == (off_t)lfanew && read(fd, bytes, 248) == 248 &&
        memcmp(bytes, "PE\0\0", 4) == 0) {
      magic = bytes[24] | bytes[25] << 8;
    }
  }
  close(fd);
  return magic == 0x20B ? 64 : magic == 0x10B ? 32 : 0;
}

int main(int argc, char** argv) {
  check_type = argc > 1 && strcmp(argv[1], "--fstat") == 0;
  size_t size = 0;
  size_t capacity = 1 << 20;
  char* list = malloc(capacity + 1);
  for (;;) {
    if (list == NULL) return 3;
    const ssize_t got = read(0, list + size, capacity - size);
    if (got < 0) return 3;
    if (got == 0) break;
    size += (size_t)got;
    if (size == capacity) list = realloc(list, (capacity *= 2) + 1);
  }
  list[size] = '\0';
  long counts[3] = {0, 0, 0};
  for (size_t at = 0; at < size;) {
    const char* path = list + at;
    const size_t length = strlen(path);
    if (length != 0) {
      const int bitness = Bitness(path);
      ++counts[bitness == 64 ? 0 : bitness == 32 ? 1 : 2];
    }
    at += length + 1;
  }
  printf("64 %ld 32 %ld 0 %ld\n", counts[0], counts[1], counts[2]);
  free(list);
  return 0;
}
