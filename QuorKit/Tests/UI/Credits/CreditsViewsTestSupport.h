#pragma once

// A credits store over its own account folder, talking to a local test server that plays the
// gateway (it lists no AI providers; each test answers "/v1/me" and the rest itself).
//
// JSON texts in raw string literals write "//" as "\/\/": moc's scanner takes a "//" inside a raw
// string for a comment and then misses the test class.

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QList>
#include <QTemporaryDir>
#include <QUrl>

struct ServedCredits {
    QTemporaryDir folder;
    QuorTestHttpServer server;
    bool started = server.start();
    QuorCreditsAccountManager manager{folder.path(), std::nullopt, server.baseUrl().toString()};
    QuorCreditsAccountStore store{manager};
    QList<QUrl> opened; // what the browser was asked to show

    ServedCredits()
    {
        server.route("GET", "/v1/ai/models", QuorTestHttpResponse::json(R"({"providers":[]})"));
        server.route("POST", "/v1/logout", QuorTestHttpResponse::json("{}"));
        manager.setURLOpener([this](const QUrl& url) {
            opened.append(url);
            return true;
        });
    }

    // Signs in with a saved token and `profile` as the gateway's "/v1/me".
    void signIn(const QByteArray& profile)
    {
        server.route("GET", "/v1/me", QuorTestHttpResponse::json(profile));
        quorAwait(manager.saveToken(QStringLiteral("tok")));
        quorAwait(store.refresh());
    }
};
