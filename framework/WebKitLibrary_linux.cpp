#include "framework/WebKitLibrary_linux.h"

#include <dlfcn.h>

#include <optional>
#include <type_traits>

namespace {

// Every entry found, or nothing. The handle is never closed: the engine's threads and
// the objects it made live as long as the process.
std::optional<WebKitLibrary> load() {
  void* library = dlopen(KVR_WEBKIT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return std::nullopt;
  bool complete = true;
  const auto find = [&](auto& entry, const char* name) {
    void* symbol = dlsym(library, name);
    complete = complete && symbol != nullptr;
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(symbol);
  };
  WebKitLibrary found{};
  find(found.userContentManagerNew, "webkit_user_content_manager_new");
  find(found.registerScriptMessageHandler, "webkit_user_content_manager_register_script_message_handler");
  find(found.registerScriptMessageHandlerWithReply,
       "webkit_user_content_manager_register_script_message_handler_with_reply");
  find(found.addScript, "webkit_user_content_manager_add_script");
  find(found.userScriptNew, "webkit_user_script_new");
  find(found.userScriptUnref, "webkit_user_script_unref");
  find(found.webViewNewWithUserContentManager, "webkit_web_view_new_with_user_content_manager");
  find(found.webViewLoadUri, "webkit_web_view_load_uri");
  find(found.scriptMessageReplyRef, "webkit_script_message_reply_ref");
  find(found.scriptMessageReplyUnref, "webkit_script_message_reply_unref");
  find(found.scriptMessageReplyReturnValue, "webkit_script_message_reply_return_value");
  find(found.javascriptResultGetJsValue, "webkit_javascript_result_get_js_value");
  find(found.responsePolicyDecisionIsMimeTypeSupported, "webkit_response_policy_decision_is_mime_type_supported");
  find(found.policyDecisionIgnore, "webkit_policy_decision_ignore");
  find(found.navigationPolicyDecisionGetNavigationAction, "webkit_navigation_policy_decision_get_navigation_action");
  find(found.navigationActionGetRequest, "webkit_navigation_action_get_request");
  find(found.uriRequestGetUri, "webkit_uri_request_get_uri");
  find(found.jscValueToString, "jsc_value_to_string");
  find(found.jscValueGetContext, "jsc_value_get_context");
  find(found.jscValueNewBoolean, "jsc_value_new_boolean");
  if (!complete) return std::nullopt;
  return found;
}

}  // namespace

const WebKitLibrary* webKitLibrary() {
  static const std::optional<WebKitLibrary> library = load();
  return library ? &*library : nullptr;
}
