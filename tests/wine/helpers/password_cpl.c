/* A stand-in PASSWORD.CPL for the Wine tests: VerifyScreenSavePwd refuses the
 * first time and accepts every time after. The library is loaded and freed for
 * each call, so the count lives in the registry, with the owner it was given:
 * HKCU\Software\ZarvellaTest, "VerifyCalls" and "VerifyOwner".
 */
#include <windows.h>

static DWORD read_calls(HKEY key) {
    DWORD value = 0, size = sizeof value;
    if (RegQueryValueExA(key, "VerifyCalls", NULL, NULL, (BYTE*)&value, &size) != ERROR_SUCCESS)
        value = 0;
    return value;
}

__declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\ZarvellaTest", 0, NULL, 0, KEY_ALL_ACCESS,
                        NULL, &key, NULL) != ERROR_SUCCESS) {
        return TRUE;
    }
    DWORD calls = read_calls(key) + 1;
    DWORD ownerValue = (DWORD)(UINT_PTR)owner;
    RegSetValueExA(key, "VerifyCalls", 0, REG_DWORD, (const BYTE*)&calls, sizeof calls);
    RegSetValueExA(key, "VerifyOwner", 0, REG_DWORD, (const BYTE*)&ownerValue, sizeof ownerValue);
    RegCloseKey(key);
    return calls > 1;
}
