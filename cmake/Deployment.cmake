# Deployment profile: the three addresses the launcher talks to. The default profile
# is the local channel on loopback (the servers of tests/fixtures, started by
# scripts/run-launcher.sh and by the tests); a release build passes its own addresses
# at configure time.
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

# Certificate authorities the telemetry client trusts (CURLOPT_CAINFO); empty means the
# system's store. Verification is never switched off: the local profile trusts the local
# authority that tests/fixtures/local_ca.py makes in the build folder.
set(KVR_LOCAL_CA_DIR "${CMAKE_BINARY_DIR}/local-ca")
set(KVR_CA_BUNDLE "${KVR_PROGRAM_ROOT}${KVR_LOCAL_CA_DIR}/ca.pem"
    CACHE STRING "Certificate authority bundle for telemetry (empty: the system's store)")

# The operator's public key the download configuration is signed with (as `minisign -G`
# prints it); empty: the configuration is taken unsigned. The local channel has a key pair
# of its own, made here once per build folder without a password (never committed): the
# default profile trusts its public key, and the channel's package host signs with its
# secret key. A second pair, trusted by nothing, lets the tests sign with a wrong key.
find_program(KVR_MINISIGN NAMES minisign REQUIRED)
set(KVR_CHANNEL_KEY_DIR "${CMAKE_BINARY_DIR}/channel-key")
foreach(pair IN ITEMS channel other)
  if(NOT EXISTS "${KVR_CHANNEL_KEY_DIR}/${pair}.pub")
    file(MAKE_DIRECTORY "${KVR_CHANNEL_KEY_DIR}")
    file(REMOVE "${KVR_CHANNEL_KEY_DIR}/${pair}.key")
    execute_process(COMMAND ${KVR_MINISIGN} -G -W -p "${KVR_CHANNEL_KEY_DIR}/${pair}.pub"
                            -s "${KVR_CHANNEL_KEY_DIR}/${pair}.key"
                    OUTPUT_QUIET RESULT_VARIABLE made)
    if(NOT made EQUAL 0)
      message(FATAL_ERROR "minisign could not make the local channel's key pair in ${KVR_CHANNEL_KEY_DIR}")
    endif()
  endif()
endforeach()
file(STRINGS "${KVR_CHANNEL_KEY_DIR}/channel.pub" channel_key REGEX "^RW")
set(KVR_CHANNEL_PUBLIC_KEY "${channel_key}")
set(KVR_CONFIG_PUBLIC_KEY "${channel_key}"
    CACHE STRING "Public key of the download configuration's signer (empty: not signed)")
