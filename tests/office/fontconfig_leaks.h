// The leak checker's view of the tests that draw printed pages: fontconfig
// keeps what it parsed of the font configuration for the life of the
// process and frees it only at FcFini, which a library loaded by other
// programs (libQxOffice.so, setting text through pango) must not call.
// What it keeps is not a leak of this system's; anything else still is.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QX_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(QX_LEAK_CHECKED)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
