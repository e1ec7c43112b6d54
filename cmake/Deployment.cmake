# Deployment profile: the three addresses the launcher talks to. The default profile
# is the local channel on loopback (scripts/local-channel); a release build passes
# its own addresses at configure time.
set(KVR_LOGIN_URL "http://127.0.0.1:18480/kvr/login/index.php"
    CACHE STRING "Login page address (string 148)")
set(KVR_REPORT_URL "https://localhost:18443/log/log"
    CACHE STRING "Telemetry endpoint (string 154)")
set(KVR_CONFIG_URL "http://127.0.0.1:18480/package/velmora/PCDownloadCfg.json"
    CACHE STRING "Download configuration address (string 155)")
foreach(url IN ITEMS KVR_LOGIN_URL KVR_REPORT_URL KVR_CONFIG_URL)
  string(LENGTH "${${url}}" len)
  if(len GREATER 99)
    message(FATAL_ERROR "${url} is ${len} characters; string-table entries hold at most 99")
  endif()
endforeach()
