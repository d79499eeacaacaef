#pragma once
// libcurl, opened on the first request instead of linked: its TLS, LDAP and
// Kerberos closure is some thirty libraries that every start would map and
// relocate, although most runs download nothing.
#include <curl/curl.h>

struct CurlLibrary {
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_multi_init) multi_init = nullptr;
    decltype(&curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&curl_multi_perform) multi_perform = nullptr;
    decltype(&curl_multi_poll) multi_poll = nullptr;
    decltype(&curl_multi_info_read) multi_info_read = nullptr;
    decltype(&curl_multi_cleanup) multi_cleanup = nullptr;
};

// The library's calls, its global set-up done, or null when it cannot be
// opened or set up (logged once, with the reason). Opened once per process
// and never closed: curl's resolver threads may outlive a request.
const CurlLibrary* OpenCurlLibrary();
