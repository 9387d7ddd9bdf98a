/* A program of a ZnAPI user, built against the installed development package: logs in to the
 * server named on the command line and reads one tag. */
#include <stdio.h>
#include <stdlib.h>
#include <znapi.h>

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: %s COMPUTER USER PASSWORD TAG\n", argv[0]);
    return 2;
  }
  const int32_t h = znOpen(argv[1], argv[2], argv[3], 0);
  if (h == 0) {
    char reason[256] = {0};
    znLastError(reason, (int32_t)sizeof reason);
    fprintf(stderr, "znOpen failed: %s\n", reason);
    return 1;
  }
  char value[256] = {0};
  const int32_t read = znTagRead(h, argv[4], value, (int32_t)sizeof value);
  znClose(h);
  if (!read) {
    fprintf(stderr, "znTagRead %s failed\n", argv[4]);
    return 1;
  }
  printf("%s = %s\n", argv[4], value);
  return 0;
}
