/* The baseline host for the link figures: replays an exchange sequence recorded by bench_program against a
 * writer on a serial device, with nothing but what the line needs: one write per burst, one poll and one
 * read per reply (more only when a reply comes in pieces), a sleep only where the sequence has a pause.
 *
 *   minimal_host DEVICE SEQUENCE
 *
 * SEQUENCE lines: "W <pause us> <hex bytes>" writes after the pause, "R <count>" reads a reply of that
 * many bytes, "D <pause us>" drops what was received (where the program drops a reply it did not read).
 * Prints "exchanges N wall S cpu S" over the replay alone (CPU: user + system of this process). Exit 1 on
 * any failure. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

enum { kReplyTimeoutMs = 5000, kMaxBurst = 4096 };

struct Step {
    char kind;
    long pauseUs;
    int length; /* W: bytes; R: reply length */
    unsigned char *bytes;
};

static double Seconds(const struct timespec *t) { return (double)t->tv_sec + (double)t->tv_nsec / 1e9; }

static double CpuSeconds(void) {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (double)usage.ru_utime.tv_sec + (double)usage.ru_utime.tv_usec / 1e6 + (double)usage.ru_stime.tv_sec +
           (double)usage.ru_stime.tv_usec / 1e6;
}

static void Pause(long us) {
    if (us <= 0) return;
    struct timespec t = {us / 1000000, (us % 1000000) * 1000};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

/* The whole sequence is read before the device is opened, so parsing costs nothing during the run. */
static struct Step *ReadSequence(const char *path, size_t *count) {
    FILE *file = fopen(path, "r");
    if (!file) return NULL;
    size_t capacity = 1024, used = 0;
    struct Step *steps = malloc(capacity * sizeof *steps);
    char line[3 * kMaxBurst + 64];
    while (steps && fgets(line, sizeof line, file)) {
        if (used == capacity) {
            capacity *= 2;
            struct Step *grown = realloc(steps, capacity * sizeof *steps);
            if (!grown) break;
            steps = grown;
        }
        struct Step *s = &steps[used];
        memset(s, 0, sizeof *s);
        s->kind = line[0];
        char *cursor = line + 1;
        if (s->kind == 'R') {
            s->length = (int)strtol(cursor, NULL, 10);
        } else if (s->kind == 'W' || s->kind == 'D') {
            unsigned char burst[kMaxBurst];
            s->pauseUs = strtol(cursor, &cursor, 10);
            for (;;) {
                while (*cursor == ' ') ++cursor;
                const int high = HexValue(cursor[0]), low = high < 0 ? -1 : HexValue(cursor[1]);
                if (low < 0 || s->length == kMaxBurst) break;
                burst[s->length++] = (unsigned char)(high * 16 + low);
                cursor += 2;
            }
            s->bytes = malloc(s->length > 0 ? (size_t)s->length : 1);
            if (!s->bytes) break;
            memcpy(s->bytes, burst, (size_t)s->length);
        } else {
            continue;
        }
        ++used;
    }
    fclose(file);
    *count = used;
    return steps;
}

static int OpenDevice(const char *path) {
    const int fd = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct termios tio;
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetspeed(&tio, B57600);
        tio.c_cc[VMIN] = 0; /* a read takes what is there; the poll before it does the waiting */
        tio.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &tio);
    }
    tcflush(fd, TCIFLUSH);
    return fd;
}

static int ReadReply(int fd, int length) {
    unsigned char reply[kMaxBurst];
    int got = 0;
    while (got < length) {
        struct pollfd p = {fd, POLLIN, 0};
        const int ready = poll(&p, 1, kReplyTimeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return -1;
        const ssize_t n = read(fd, reply + got, (size_t)(length - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return -1;
        got += (int)n;
    }
    return 0;
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: minimal_host DEVICE SEQUENCE\n");
        return 2;
    }
    size_t count = 0;
    struct Step *steps = ReadSequence(argv[2], &count);
    if (!steps) {
        fprintf(stderr, "minimal_host: cannot read %s\n", argv[2]);
        return 1;
    }
    const int fd = OpenDevice(argv[1]);
    if (fd < 0) {
        fprintf(stderr, "minimal_host: cannot open %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    struct timespec start, end;
    const double cpuStart = CpuSeconds();
    clock_gettime(CLOCK_MONOTONIC, &start);
    long exchanges = 0;
    for (size_t i = 0; i < count; ++i) {
        const struct Step *s = &steps[i];
        Pause(s->pauseUs);
        if (s->kind == 'D') {
            tcflush(fd, TCIFLUSH);
        } else if (s->kind == 'W') {
            if (write(fd, s->bytes, (size_t)s->length) != s->length) {
                fprintf(stderr, "minimal_host: write failed at step %zu\n", i);
                return 1;
            }
        } else if (s->kind == 'R') {
            if (ReadReply(fd, s->length) != 0) {
                fprintf(stderr, "minimal_host: no reply at step %zu\n", i);
                return 1;
            }
            ++exchanges;
        }
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double cpu = CpuSeconds() - cpuStart;
    printf("exchanges %ld wall %.6f cpu %.6f\n", exchanges, Seconds(&end) - Seconds(&start), cpu);
    close(fd);
    return 0;
}
