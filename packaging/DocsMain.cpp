// tessella-docs: writes the manual page or the bash completion of tessella, both made
// from its command table, at build time.
//
// Usage: tessella-docs man|bash-completion OUTPUT

#include <cstdio>
#include <fstream>
#include <string>

#include "BashCompletion.h"
#include "ManPage.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tessella-docs man|bash-completion OUTPUT\n");
        return 2;
    }
    const std::string kind = argv[1];
    std::string text;
    if (kind == "man") {
        text = manPage();
    } else if (kind == "bash-completion") {
        text = bashCompletion();
    } else {
        std::fprintf(stderr, "tessella-docs: unknown kind \"%s\"\n", argv[1]);
        return 2;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "tessella-docs: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
