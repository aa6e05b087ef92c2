/* The plain byte-at-a-time way to count letters: getc() in a loop. A yardstick for the tally. */
#include <ctype.h>
#include <stdio.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: getc_count FILE\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (in == NULL) {
        perror(argv[1]);
        return 1;
    }
    long long counts[26] = {0};
    int c;
    while ((c = getc(in)) != EOF) {
        const int index = toupper(c) - 'A';
        if (index >= 0 && index < 26) {
            ++counts[index];
        }
    }
    fclose(in);
    for (int i = 0; i < 26; ++i) {
        printf("%c,%lld\n", 'A' + i, counts[i]);
    }
    return 0;
}
