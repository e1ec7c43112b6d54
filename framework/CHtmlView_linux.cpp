// The browser is a WebKitGTK view. WebKit has no window.external and no per-frame load
// event in its interface, so a user script injected into every frame provides both:
//  - window.external.<name>(text) for each dispatch-map entry posts the text to a script
//    message handler with a reply. WebKit's bridge is asynchronous: the page gets back a
//    Promise that resolves to the method's boolean once it has run.
//  - each document's "load" event (the page and every frame in it, nested ones and
//    about:blank frames included, frames before the page that holds them) posts one
//    document-complete message: one OnDocumentComplete per document, as the WebBrowser
//    control fires DocumentComplete per frame.
// New-window requests never open a WebKit view: the view OnNewWindow2 answers is handed the
// request as its own navigation (BeforeNavigate2, then a load unless cancelled).

#include <string>
#include <vector>

#include "framework/CHtmlView.h"
#include "framework/FrameworkImpl_linux.h"
#include "framework/WebKitLibrary_linux.h"
#include "framework/WndNative_linux.h"
#include "TextConvert.h"

namespace {

constexpr char kDocumentCompleteHandler[] = "kvrDocumentComplete";

// The script that every frame runs at its start.
std::string pageScript(std::span<const CHtmlView::DispatchEntry> methods) {
  std::string script;
  if (!methods.empty()) script += "window.external = window.external || {};\n";
  for (const CHtmlView::DispatchEntry& entry : methods) {
    const std::string name = ToAnsi(entry.name);
    script += "window.external." + name + " = function (text) { return window.webkit.messageHandlers." + name +
              ".postMessage(String(text)); };\n";
  }
  script += std::string("window.addEventListener('load', function () { window.webkit.messageHandlers.") +
            kDocumentCompleteHandler + ".postMessage(String(location.href)); });\n";
  return script;
}

std::wstring jsText(JSCValue* value) {
  gchar* text = webKitLibrary()->jscValueToString(value);
  std::wstring wide = FromAnsi(text != nullptr ? text : "");
  g_free(text);
  return wide;
}

constexpr char kPageKey[] = "kvr-page";

}  // namespace

void markPageWidget(GtkWidget* widget) { g_object_set_data(G_OBJECT(widget), kPageKey, widget); }

bool withinPage(GtkWidget* widget) {
  for (; widget != nullptr; widget = gtk_widget_get_parent(widget))
    if (g_object_get_data(G_OBJECT(widget), kPageKey) != nullptr) return true;
  return false;
}

struct CHtmlView::Impl {
  CHtmlView& view;
  WebKitWebView* web = nullptr;  // our own reference, so the object outlives its widget's destruction
  WebKitUserContentManager* manager = nullptr;
  bool silent = false;

  // One script method: which entry of the dispatch map a message handler serves.
  struct Method {
    Impl* impl;
    size_t index;
  };
  std::vector<std::unique_ptr<Method>> methods;

  explicit Impl(CHtmlView& owner) : view(owner) {}

  ~Impl() {
    disconnect();
    if (web != nullptr) g_object_unref(web);
  }

  // Disconnect handlers to avoid callbacks into a view whose window is gone.
  void disconnect() {
    if (manager != nullptr) {
      g_signal_handlers_disconnect_by_data(manager, this);
      for (const auto& method : methods) g_signal_handlers_disconnect_by_data(manager, method.get());
    }
    if (web != nullptr) g_signal_handlers_disconnect_by_data(web, this);
  }

  static gboolean onScriptMethod(WebKitUserContentManager*, JSCValue* argument, WebKitScriptMessageReply* reply,
                                 gpointer data) {
    auto* method = static_cast<Method*>(data);
    CHtmlView& view = method->impl->view;
    const auto entry = HtmlViewAccess::dispatchMap(view)[method->index];
    // The method may destroy the windows (the view's own among them) before it returns;
    // the reply and the argument's context stay referenced until the answer is given.
    const WebKitLibrary& webKit = *webKitLibrary();
    webKit.scriptMessageReplyRef(reply);
    auto* context = static_cast<JSCContext*>(g_object_ref(webKit.jscValueGetContext(argument)));
    const bool result = entry.method(view, jsText(argument));
    JSCValue* answer = webKit.jscValueNewBoolean(context, result);
    webKit.scriptMessageReplyReturnValue(reply, answer);
    g_object_unref(answer);
    g_object_unref(context);
    webKit.scriptMessageReplyUnref(reply);
    return TRUE;
  }

  static void onDocumentComplete(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    HtmlViewAccess::documentComplete(impl->view, jsText(webKitLibrary()->javascriptResultGetJsValue(result)));
  }

  static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                 gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    const WebKitLibrary& webKit = *webKitLibrary();
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
      // What the view cannot show is dropped, never downloaded.
      if (webKit.responsePolicyDecisionIsMimeTypeSupported(reinterpret_cast<WebKitResponsePolicyDecision*>(decision)))
        return FALSE;
      webKit.policyDecisionIgnore(decision);
      return TRUE;
    }
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) return FALSE;  // a new window: "create" follows
    WebKitNavigationAction* action =
        webKit.navigationPolicyDecisionGetNavigationAction(reinterpret_cast<WebKitNavigationPolicyDecision*>(decision));
    const gchar* uri = webKit.uriRequestGetUri(webKit.navigationActionGetRequest(action));
    bool bCancel = false;
    HtmlViewAccess::beforeNavigate(impl->view, FromAnsi(uri != nullptr ? uri : ""), bCancel);
    if (!bCancel) return FALSE;
    webKit.policyDecisionIgnore(decision);
    return TRUE;
  }

  static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    const WebKitLibrary& webKit = *webKitLibrary();
    const gchar* uri = webKit.uriRequestGetUri(webKit.navigationActionGetRequest(action));
    const std::wstring url = FromAnsi(uri != nullptr ? uri : "");
    bool bCancel = false;
    CHtmlView* target = HtmlViewAccess::newWindow(impl->view, bCancel);
    if (target != nullptr && !bCancel) {
      bool bTargetCancel = false;
      HtmlViewAccess::beforeNavigate(*target, url, bTargetCancel);
      if (!bTargetCancel) target->Navigate2(url);
    }
    return nullptr;
  }

  static gboolean onScriptDialog(WebKitWebView*, WebKitScriptDialog*, gpointer data) {
    // Handled without showing anything: alerts return at once, confirms answer no.
    return static_cast<Impl*>(data)->silent ? TRUE : FALSE;
  }
};

CHtmlView::CHtmlView() : m_impl(std::make_unique<Impl>(*this)) {}

CHtmlView::~CHtmlView() = default;

bool CHtmlView::Create(CWnd* pParent, const CRect& rect, int nID, bool bVisible) {
  const WebKitLibrary* webKit = webKitLibrary();
  if (pParent == nullptr || m_impl->web != nullptr || webKit == nullptr) return false;
  Impl& impl = *m_impl;
  impl.manager = webKit->userContentManagerNew();
  const std::span<const DispatchEntry> methods =
      HtmlViewAccess::external(*this) ? GetDispatchMap() : std::span<const DispatchEntry>();
  for (size_t i = 0; i < methods.size(); ++i) {
    impl.methods.push_back(std::make_unique<Impl::Method>(Impl::Method{&impl, i}));
    const std::string name = ToAnsi(methods[i].name);
    g_signal_connect(impl.manager, ("script-message-with-reply-received::" + name).c_str(),
                     G_CALLBACK(Impl::onScriptMethod), impl.methods.back().get());
    webKit->registerScriptMessageHandlerWithReply(impl.manager, name.c_str(), nullptr);
  }
  g_signal_connect(impl.manager, (std::string("script-message-received::") + kDocumentCompleteHandler).c_str(),
                   G_CALLBACK(Impl::onDocumentComplete), &impl);
  webKit->registerScriptMessageHandler(impl.manager, kDocumentCompleteHandler);
  WebKitUserScript* script = webKit->userScriptNew(pageScript(methods).c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                                   WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webKit->addScript(impl.manager, script);
  webKit->userScriptUnref(script);

  GtkWidget* widget = webKit->webViewNewWithUserContentManager(impl.manager);
  impl.web = reinterpret_cast<WebKitWebView*>(g_object_ref_sink(widget));
  markPageWidget(widget);
  g_signal_connect(impl.web, "decide-policy", G_CALLBACK(Impl::onDecidePolicy), &impl);
  g_signal_connect(impl.web, "create", G_CALLBACK(Impl::onCreate), &impl);
  g_signal_connect(impl.web, "script-dialog", G_CALLBACK(Impl::onScriptDialog), &impl);

  // Only a dialog holds children at pixel positions; a view made inside a view stays hidden
  // and detached, as a hidden child would.
  if (GetChildContainer(*pParent) != nullptr) {
    AttachNativeWidget(*this, widget, *pParent, nID, rect);
    if (bVisible) gtk_widget_show(widget);
  }
  return true;
}

void CHtmlView::Navigate2(const std::wstring& url) {
  if (m_impl->web != nullptr) webKitLibrary()->webViewLoadUri(m_impl->web, ToAnsi(url).c_str());
}

void CHtmlView::Navigate(const std::wstring& url) { Navigate2(url); }

void CHtmlView::SetSilent(bool bSilent) { m_impl->silent = bSilent; }

bool CHtmlView::HasBrowser() const { return m_impl->web != nullptr; }

void CHtmlView::OnDestroy() { m_impl->disconnect(); }
