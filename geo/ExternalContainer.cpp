#include "geo/ExternalContainer.h"

#include "core/AppError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

const char* const TExternalContainer::BridgeScriptName = "tovrik-external";

namespace {

// The page-side half of the bridge. window.external is a Proxy: reading a member name that
// matches one of the object's members without regard to case gives a function forwarding the
// call; reading any other name throws, as the host object of an embedded browser does, so that
// a page calling a member the program lacks fails inside its own try/catch.
const char* const BridgeTail = R"JS(
  var members = __MEMBERS__;
  var byLowerName = {};
  for (var i = 0; i < members.length; i++) {
    byLowerName[members[i].toLowerCase()] = members[i];
  }
  var target = null;
  var stateTarget = null;
  var pending = [];
  function forward(name, args) {
    if (target) {
      target[name].apply(target, args);
    } else {
      pending.push([name, args]);
    }
  }
  var pendingStates = [];
  Object.defineProperty(window, 'tovrikMapStatus', {
    value: function (state, reason) {
      if (stateTarget) {
        stateTarget.Report(String(state), String(reason || ''));
      } else {
        pendingStates.push([String(state), String(reason || '')]);
      }
    },
    writable: false, enumerable: false, configurable: false
  });
  var external = new Proxy({}, {
    get: function (obj, prop) {
      if (typeof prop !== 'string') {
        return undefined;
      }
      var name = Object.prototype.hasOwnProperty.call(byLowerName, prop.toLowerCase()) ?
                 byLowerName[prop.toLowerCase()] : null;
      if (!name) {
        throw new TypeError("Object doesn't support property or method '" + prop + "'");
      }
      return function () {
        forward(name, Array.prototype.slice.call(arguments));
      };
    },
    has: function (obj, prop) {
      return typeof prop === 'string' &&
             Object.prototype.hasOwnProperty.call(byLowerName, prop.toLowerCase());
    },
    set: function () {
      return false;
    }
  });
  Object.defineProperty(window, 'external', {
    value: external, writable: false, enumerable: true, configurable: false
  });
  function open() {
    if (typeof qt === 'undefined' || !qt.webChannelTransport) {
      window.setTimeout(open, 10);
      return;
    }
    new QWebChannel(qt.webChannelTransport, function (channel) {
      target = channel.objects.external;
      stateTarget = channel.objects.mapStatus || null;
      if (stateTarget) {
        for (var s = 0; s < pendingStates.length; s++) {
          stateTarget.Report(pendingStates[s][0], pendingStates[s][1]);
        }
      }
      pendingStates = [];
      var queued = pending;
      pending = [];
      for (var k = 0; k < queued.length; k++) {
        target[queued[k][0]].apply(target, queued[k][1]);
      }
    });
  }
  open();
)JS";

QString ChannelClientLibrary()
{
    QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!file.open(QIODevice::ReadOnly))
        throw EAppError(QStringLiteral("The web channel's client library is missing"));
    return QString::fromUtf8(file.readAll());
}

} // namespace

TExternalContainer::TExternalContainer(TMyExternal::THandlers handlers, QObject* parent)
    : TNulWBContainer(parent), FExternal(new TMyExternal(std::move(handlers), this)),
      FMapState(new TMapStateReporter(this)), FChannel(new QWebChannel(this))
{
    FChannel->registerObject(QStringLiteral("external"), FExternal);
    FChannel->registerObject(QStringLiteral("mapStatus"), FMapState);
}

TExternalContainer::~TExternalContainer()
{
    Detach();
}

QString TExternalContainer::BridgeScript()
{
    static const QString script = [] {
        const QJsonArray members = QJsonArray::fromStringList(TMyExternal::MemberNames());
        QString tail = QString::fromLatin1(BridgeTail);
        tail.replace(QStringLiteral("__MEMBERS__"),
                     QString::fromUtf8(QJsonDocument(members).toJson(QJsonDocument::Compact)));
        // The client library goes inside the function too, so the page's globals stay its own.
        return QStringLiteral("(function () {\n") + ChannelClientLibrary() + tail + QStringLiteral("})();\n");
    }();
    return script;
}

void TExternalContainer::Attach(QWebEnginePage* page)
{
    TNulWBContainer::Attach(page);
    page->setWebChannel(FChannel, QWebEngineScript::MainWorld);
    QWebEngineScript script;
    script.setName(QString::fromLatin1(BridgeScriptName));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(BridgeScript());
    for (const QWebEngineScript& old : page->scripts().find(script.name()))
        page->scripts().remove(old);
    page->scripts().insert(script);
}

void TExternalContainer::Detach()
{
    if (QWebEnginePage* page = Page()) {
        for (const QWebEngineScript& old : page->scripts().find(QString::fromLatin1(BridgeScriptName)))
            page->scripts().remove(old);
        if (page->webChannel() == FChannel)
            page->setWebChannel(nullptr);
    }
    TNulWBContainer::Detach();
}
