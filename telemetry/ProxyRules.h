// How the proxy settings of Internet Options (and WinHTTP's answers) read: which proxy
// a list names for an address, and whether an address bypasses it.
#pragma once

#include <string>

// The scheme ("http") and host ("example.com", "::1") of `url`, lower-cased.
std::string urlScheme(const std::string& url);
std::string urlHost(const std::string& url);

// The proxy that `list` names for `url`, as libcurl takes it ("http://host:port",
// "socks4://host:port"); empty when it names none. The list is "host:port" for every
// scheme, or "scheme=host:port" entries (http, https, socks), split by ';' or blanks;
// an entry for the address's own scheme wins over one for all, SOCKS comes last.
std::string proxyFromList(const std::string& list, const std::string& url);

// True when `url`'s host matches an entry of the bypass list `bypass`: "<local>" (a
// host name without dots), or a host pattern with '*' wildcards, case-insensitive,
// optionally with a scheme in front; entries split by ';', ',' or blanks.
bool bypassesProxy(const std::string& bypass, const std::string& url);
