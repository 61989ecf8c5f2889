// Entry point of every test executable. A crash ends the process with a
// failure code at once instead of waiting on a debugger dialog.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

namespace {

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) noexcept {
    std::fprintf(stderr, "test process crashed: exception 0x%08lX\n",
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
