// The two scripts go into the program's read-only data as they are, by the
// assembler (.incbin), so that neither the compiler nor the build has to turn
// two megabytes into source text. The paths come from the build
// (tools/preview/CMakeLists.txt).
#include "tools/preview/web_module.h"

#if defined(ATMOSPHERE_WEB_MODULE) && defined(ATMOSPHERE_WEB_PAGE)

// The read-only section, and the way back to the code, of each object format.
#if defined(_WIN32)
#define ATMOSPHERE_READ_ONLY ".section .rdata,\"dr\"\n"
#define ATMOSPHERE_BACK ".text\n"
#else
#define ATMOSPHERE_READ_ONLY ".section .rodata\n"
#define ATMOSPHERE_BACK ".previous\n"
#endif

#define ATMOSPHERE_EMBED(name, path)                                                                           \
    asm(ATMOSPHERE_READ_ONLY ".global " #name "_begin\n" #name "_begin:\n.incbin \"" path "\"\n.global " #name \
                             "_end\n" #name "_end:\n.byte 0\n" ATMOSPHERE_BACK)

ATMOSPHERE_EMBED(atmosphere_web_module, ATMOSPHERE_WEB_MODULE);
ATMOSPHERE_EMBED(atmosphere_web_page, ATMOSPHERE_WEB_PAGE);

extern "C" const char atmosphere_web_module_begin[], atmosphere_web_module_end[];
extern "C" const char atmosphere_web_page_begin[], atmosphere_web_page_end[];

namespace preview {

std::string_view WebModuleScript() {
    return {atmosphere_web_module_begin, static_cast<size_t>(atmosphere_web_module_end - atmosphere_web_module_begin)};
}
std::string_view WebPageScript() {
    return {atmosphere_web_page_begin, static_cast<size_t>(atmosphere_web_page_end - atmosphere_web_page_begin)};
}

}  // namespace preview

#else

namespace preview {

std::string_view WebModuleScript() { return {}; }
std::string_view WebPageScript() { return {}; }

}  // namespace preview

#endif
