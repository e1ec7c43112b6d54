// Generated from cmake/Deployment.cmake: the addresses of the chosen deployment profile.
#pragma once

#define KVR_LOGIN_URL "http://127.0.0.1:18480/kvr/login/index.php"
#define KVR_REPORT_URL "https://localhost:18443/log/log"
#define KVR_CONFIG_URL "http://127.0.0.1:18480/package/velmora/PCDownloadCfg.json"
