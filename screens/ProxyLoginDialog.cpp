#include "ProxyLoginDialog.h"
#include "ui_ProxyLoginDialog.h"

#include "cloud/ServiceProxy.h"

#include <QAuthenticator>
#include <QNetworkProxy>

ProxyLoginDialog::ProxyLoginDialog(const QNetworkProxy& proxy, QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ProxyLoginDialog)
{
    ui->setupUi(this);
    ui->label_proxy->setText(
        ui->label_proxy->text().arg(proxy.hostName() + QLatin1Char(':') + QString::number(proxy.port())));
    ui->lineEdit->setText(proxy.user());
}

ProxyLoginDialog::~ProxyLoginDialog()
{
    delete ui;
}

void ProxyLoginDialog::ask(const QNetworkProxy& proxy, QAuthenticator* authenticator, QWidget* parent)
{
    ProxyLoginDialog dialog(proxy, parent);
    // The screen may be disabled while it waits; the dialog must still take input.
    dialog.setEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString user = dialog.ui->lineEdit->text();
    const QString password = dialog.ui->lineEdit_2->text();
    authenticator->setUser(user);
    authenticator->setPassword(password);
    ServiceProxy::rememberCredentials(user, password);
}
