#pragma once

#include <QDialog>

class QAuthenticator;
class QNetworkProxy;

namespace Ui {
class ProxyLoginDialog;
}

// Asks for the user name and password of a proxy that wants them. What is typed goes
// to the authenticator and stays in memory for the run.
class ProxyLoginDialog : public QDialog
{
    Q_OBJECT

public:
    ProxyLoginDialog(const QNetworkProxy& proxy, QWidget* parent = nullptr);
    ~ProxyLoginDialog() override;

    // Asks, and fills in the authenticator unless the user cancels.
    static void ask(const QNetworkProxy& proxy, QAuthenticator* authenticator, QWidget* parent);

private:
    Ui::ProxyLoginDialog* ui;
};
