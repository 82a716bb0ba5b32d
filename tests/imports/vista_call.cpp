// A program that calls one function Windows XP lacks, for the import check to refuse.
// The headers for XP do not declare it, so it is declared here as kernel32 exports it.
#include <windows.h>

extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();

int main() { return GetTickCount64() == 0 ? 1 : 0; }
