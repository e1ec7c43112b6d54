// The web engine's library, loaded when the first web view is made instead of with the
// program: loading it and the libraries it brings (about 180) takes longer than the
// window's whole start, and the window is on the screen before any view is made. The
// engine's headers give the functions' types; nothing of it is linked.
#pragma once

#include <webkit2/webkit2.h>

struct WebKitLibrary {
  decltype(&webkit_user_content_manager_new) userContentManagerNew;
  decltype(&webkit_user_content_manager_register_script_message_handler) registerScriptMessageHandler;
  decltype(&webkit_user_content_manager_register_script_message_handler_with_reply)
      registerScriptMessageHandlerWithReply;
  decltype(&webkit_user_content_manager_add_script) addScript;
  decltype(&webkit_user_script_new) userScriptNew;
  decltype(&webkit_user_script_unref) userScriptUnref;
  decltype(&webkit_web_view_new_with_user_content_manager) webViewNewWithUserContentManager;
  decltype(&webkit_web_view_load_uri) webViewLoadUri;
  decltype(&webkit_script_message_reply_ref) scriptMessageReplyRef;
  decltype(&webkit_script_message_reply_unref) scriptMessageReplyUnref;
  decltype(&webkit_script_message_reply_return_value) scriptMessageReplyReturnValue;
  decltype(&webkit_javascript_result_get_js_value) javascriptResultGetJsValue;
  decltype(&webkit_response_policy_decision_is_mime_type_supported) responsePolicyDecisionIsMimeTypeSupported;
  decltype(&webkit_policy_decision_ignore) policyDecisionIgnore;
  decltype(&webkit_navigation_policy_decision_get_navigation_action) navigationPolicyDecisionGetNavigationAction;
  decltype(&webkit_navigation_action_get_request) navigationActionGetRequest;
  decltype(&webkit_uri_request_get_uri) uriRequestGetUri;
  decltype(&jsc_value_to_string) jscValueToString;
  decltype(&jsc_value_get_context) jscValueGetContext;
  decltype(&jsc_value_new_boolean) jscValueNewBoolean;
};

// The library, loaded on the first call (on the UI thread); null when it cannot be
// loaded or lacks a function, and then no web view is made.
const WebKitLibrary* webKitLibrary();
