#include "bench/DrawCounter.hpp"

#include <dlfcn.h>

namespace
{
std::uint64_t drawCalls = 0;
using DrawArrays = void (*)(unsigned int, int, int);
} // namespace

std::uint64_t DrawCallsSoFar()
{
    return drawCalls;
}

// Same signature as the GL entry point (GLenum, GLint, GLsizei); the dynamic linker finds this
// definition first and the real one with RTLD_NEXT.
extern "C" void glDrawArrays(unsigned int mode, int first, int count);

extern "C" void glDrawArrays(unsigned int mode, int first, int count)
{
    static const auto real = reinterpret_cast<DrawArrays>(dlsym(RTLD_NEXT, "glDrawArrays"));
    ++drawCalls;
    if (real)
        real(mode, first, count);
}
