<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>CameraNameWindow</name>
    <message>
        <source>ご利用されるカメラに名前をつけてください</source>
        <translation>Give your camera a name</translation>
    </message>
    <message>
        <source>次へ進む</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>カメラ名を登録します</source>
        <translation>Register the camera name</translation>
    </message>
    <message>
        <source>Ravelo</source>
        <translation>Ravelo</translation>
    </message>
    <message>
        <source>カメラ名</source>
        <translation>Camera name</translation>
    </message>
    <message>
        <source>カメラ名をご入力ください</source>
        <translation>Enter a camera name</translation>
    </message>
    <message>
        <source>カメラ登録中にエラーが発生しました</source>
        <translation>An error occurred while registering the camera</translation>
    </message>
    <message>
        <source>カメラ名の登録</source>
        <translation>Camera name</translation>
    </message>
    <message>
        <source>カメラ名を入力してください</source>
        <translation>Enter a name for the camera</translation>
    </message>
    <message>
        <source>カメラが外れました。USBケーブルで接続し直してください</source>
        <translation>The camera was disconnected. Plug it in again with the USB cable.</translation>
    </message>
    <message>
        <source>次へ</source>
        <translation>Next</translation>
    </message>
</context>
<context>
    <name>CameraTrouble</name>
    <message>
        <source>カメラが正しく応答しません。カメラを挿し直してください</source>
        <translation>The camera does not answer properly. Plug it in again</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>サービスのホスト（「:ポート」も付けられます）</source>
        <translation>Hosts of the service (a &quot;:port&quot; may follow)</translation>
    </message>
    <message>
        <source>信頼する認証局を加えるPEMファイル</source>
        <translation>A PEM file of further certificate authorities to trust</translation>
    </message>
    <message>
        <source>プロキシ（大文字の名前も読みます）</source>
        <translation>The proxy (the upper-case names are read too)</translation>
    </message>
    <message>
        <source>診断出力の選択（例：ravelo.usb.debug=true）</source>
        <translation>Which diagnostics to print (for example ravelo.usb.debug=true)</translation>
    </message>
    <message>
        <source>環境変数:</source>
        <translation>Environment variables:</translation>
    </message>
    <message>
        <source>USBで接続したRaveloホームカメラを設定します。Raveloアカウントにログインし、Wi-Fiの設定をカメラに書き込んで、カメラを登録します。</source>
        <translation>Sets up a Ravelo home camera plugged in by USB: signs in to the Ravelo account, writes the Wi-Fi settings into the camera and registers it.</translation>
    </message>
    <message>
        <source>送受信する内容を表示します（パスワード、トークン、カメラのIDは伏せます）。</source>
        <translation>Print what the wizard sends and receives (passwords, tokens and the camera&apos;s ids masked).</translation>
    </message>
</context>
<context>
    <name>CompleteWindow</name>
    <message>
        <source>設定完了</source>
        <translation>Set-up complete</translation>
    </message>
    <message>
        <source>Ravelo</source>
        <translation>Ravelo</translation>
    </message>
    <message>
        <source>これで設定は完了です。
カメラをPCから取り外して、電源に接続してください
カメラ名は、Raveloアプリ-&gt;アカウント-&gt;カメラ名から設定してください</source>
        <translation>Set-up is complete.
Unplug the camera from the PC and connect it to its power supply.
Rename the camera in the Ravelo app: Account -&gt; Camera name.</translation>
    </message>
    <message>
        <source>設定を完了する</source>
        <translation>Finish set-up</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>Done</translation>
    </message>
</context>
<context>
    <name>LoginWindow</name>
    <message>
        <source>ログイン</source>
        <translation>Sign in</translation>
    </message>
    <message>
        <source>次へ進む</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>Ravelo</source>
        <translation>Ravelo</translation>
    </message>
    <message>
        <source>ログインする</source>
        <translation>Sign in</translation>
    </message>
    <message>
        <source>メールアドレス</source>
        <translation>Email address</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>メールアドレスをご入力ください</source>
        <translation>Enter your email address</translation>
    </message>
    <message>
        <source>パスワードをご入力ください</source>
        <translation>Enter your password</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;https://%1/reminder/passwordreset&quot;&gt;パスワードのリセットはこちら&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;https://%1/reminder/passwordreset&quot;&gt;Forgot your password?&lt;/a&gt;</translation>
    </message>
    <message>
        <source>ログイン処理中にエラーが発生しました</source>
        <translation>An error occurred while signing in</translation>
    </message>
    <message>
        <source>メールアドレスもしくはパスワードが違います</source>
        <translation>The email address or password is incorrect</translation>
    </message>
    <message>
        <source>name@example.com の形で入力してください</source>
        <translation>Enter an address like name@example.com</translation>
    </message>
    <message>
        <source>パスワードは8〜16文字です</source>
        <translation>Passwords have 8 to 16 characters</translation>
    </message>
    <message>
        <source>次へ</source>
        <translation>Next</translation>
    </message>
</context>
<context>
    <name>PreparationWindow</name>
    <message>
        <source>準備</source>
        <translation>Preparation</translation>
    </message>
    <message>
        <source>ログインする</source>
        <translation>Sign in to your account</translation>
    </message>
    <message>
        <source>Ravelo</source>
        <translation>Ravelo</translation>
    </message>
    <message>
        <source>新しくユーザーを登録する</source>
        <translation>Create a new account</translation>
    </message>
    <message>
        <source>準備をする</source>
        <translation>Get ready</translation>
    </message>
    <message>
        <source>カメラをお使いのPCに接続してください</source>
        <translation>Connect the camera to this PC</translation>
    </message>
    <message>
        <source>カメラを開く権限がありません。udevルールを入れて、カメラを挿し直してください</source>
        <translation>No permission to open the camera. Install the udev rule and plug the camera in again.</translation>
    </message>
    <message>
        <source>カメラは他のプログラムかドライバーが使用中です。それを終了してください</source>
        <translation>Another program or driver is using the camera. Please close it.</translation>
    </message>
    <message>
        <source>カメラを開けません：%1</source>
        <translation>Cannot open the camera: %1</translation>
    </message>
    <message>
        <source>ログイン</source>
        <translation>Sign in</translation>
    </message>
    <message>
        <source>新規登録</source>
        <translation>Create account</translation>
    </message>
</context>
<context>
    <name>ProxyLoginDialog</name>
    <message>
        <source>Raveloツール</source>
        <translation>Ravelo Tool</translation>
    </message>
    <message>
        <source>プロキシ %1 のユーザー名とパスワードを入力してください</source>
        <translation>Enter the user name and password for the proxy %1</translation>
    </message>
    <message>
        <source>ユーザー名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
</context>
<context>
    <name>RegistUserWindow</name>
    <message>
        <source>ユーザー登録</source>
        <translation>Create account</translation>
    </message>
    <message>
        <source>次へ進む</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>新しくユーザーを登録する</source>
        <translation>Create a new account</translation>
    </message>
    <message>
        <source>Ravelo</source>
        <translation>Ravelo</translation>
    </message>
    <message>
        <source>アカウント名</source>
        <translation>Account name</translation>
    </message>
    <message>
        <source>メールアドレス</source>
        <translation>Email address</translation>
    </message>
    <message>
        <source>アカウント名（最大10文字）をご入力ください</source>
        <translation>Account name (up to 10 characters)</translation>
    </message>
    <message>
        <source>メールアドレスをご入力ください</source>
        <translation>Enter your email address</translation>
    </message>
    <message>
        <source>パスワード（半角英数8～16文字）をご入力ください</source>
        <translation>Password (8–16 letters and digits)</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>利用規約に同意する</source>
        <translation>Accept the terms</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;https://%1/terms/index.html&quot;&gt;利用規約はこちら&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;https://%1/terms/index.html&quot;&gt;Terms of use&lt;/a&gt;</translation>
    </message>
    <message>
        <source>登録したメールアドレスに確認メールを送信しました。</source>
        <translation>We have sent a confirmation email to the address you registered.</translation>
    </message>
    <message>
        <source>本登録を完了させてからログインしてください。</source>
        <translation>Please complete your registration, then sign in.</translation>
    </message>
    <message>
        <source>ユーザー登録に失敗しました</source>
        <translation>The account could not be created</translation>
    </message>
    <message>
        <source>ユーザー登録中にエラーが発生しました</source>
        <translation>An error occurred while creating the account</translation>
    </message>
    <message>
        <source>アカウント名は1〜10文字です</source>
        <translation>Account names have 1 to 10 characters</translation>
    </message>
    <message>
        <source>name@example.com の形で入力してください</source>
        <translation>Enter an address like name@example.com</translation>
    </message>
    <message>
        <source>パスワードは8〜16文字です</source>
        <translation>Passwords have 8 to 16 characters</translation>
    </message>
    <message>
        <source>次へ</source>
        <translation>Next</translation>
    </message>
</context>
<context>
    <name>ScreenFrame</name>
    <message>
        <source>パスワードを隠す</source>
        <translation>Hide password</translation>
    </message>
    <message>
        <source>パスワードを表示する</source>
        <translation>Show password</translation>
    </message>
</context>
<context>
    <name>SettingsWiFiWindow</name>
    <message>
        <source>Wi-Fi設定</source>
        <translation>Wi-Fi settings</translation>
    </message>
    <message>
        <source>ネットワーク</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>Wi-Fiに接続する</source>
        <translation>Connect to Wi-Fi</translation>
    </message>
    <message>
        <source>Wi-Fi一覧に戻る</source>
        <translation>Back to the Wi-Fi list</translation>
    </message>
    <message>
        <source>Ravelo</source>
        <translation>Ravelo</translation>
    </message>
    <message>
        <source>SSIDをご入力ください</source>
        <translation>Enter the network name (SSID)</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>パスワードをご入力ください</source>
        <translation>Enter your password</translation>
    </message>
    <message>
        <source>ネットワーク名は1〜32バイトです</source>
        <translation>Network names have 1 to 32 bytes</translation>
    </message>
    <message>
        <source>パスワードは8〜63文字か、16進数64桁です</source>
        <translation>Passwords have 8 to 63 characters, or 64 hex digits</translation>
    </message>
    <message>
        <source>カメラが外れました。USBケーブルで接続し直してください</source>
        <translation>The camera was disconnected. Plug it in again with the USB cable.</translation>
    </message>
    <message>
        <source>Wi-Fiに接続</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>StepIndicator</name>
    <message>
        <source>ステップ %1 / %2</source>
        <translation>Step %1 of %2</translation>
    </message>
</context>
<context>
    <name>TopWindow</name>
    <message>
        <source>スタート</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>設定を開始する</source>
        <translation>Start set-up</translation>
    </message>
    <message>
        <source>Ravelo</source>
        <translation>Ravelo</translation>
    </message>
    <message>
        <source>はじめる</source>
        <translation>Start</translation>
    </message>
</context>
<context>
    <name>WebClientWindow</name>
    <message>
        <source>Raveloツール</source>
        <translation>Ravelo Tool</translation>
    </message>
    <message>
        <source>ネットワークエラー</source>
        <translation>Network error</translation>
    </message>
    <message>
        <source>サービスから予期しない応答がありました。しばらくしてから、もう一度お試しください。</source>
        <translation>The service answered something unexpected. Try again later.</translation>
    </message>
    <message>
        <source>インターネットに接続されているか確認してから、もう一度お試しください。</source>
        <translation>Check that this PC is connected to the internet, then try again.</translation>
    </message>
    <message>
        <source>サービスから応答がありませんでした。しばらくしてから、もう一度お試しください。</source>
        <translation>The service did not answer. Try again in a moment.</translation>
    </message>
    <message>
        <source>サービスと安全に接続できませんでした。ネットワークの設定を確認してください。</source>
        <translation>A secure connection to the service could not be made. Check the network settings.</translation>
    </message>
    <message>
        <source>サービスが混み合っています。しばらくしてから、もう一度お試しください。</source>
        <translation>The service is busy. Try again later.</translation>
    </message>
    <message>
        <source>プロキシ %1 を通して接続できませんでした。プロキシの設定とユーザー名・パスワードを確認してください。</source>
        <translation>Could not connect through the proxy %1. Check the proxy settings, user name and password.</translation>
    </message>
    <message>
        <source>詳細をコピー</source>
        <translation>Copy details</translation>
    </message>
</context>
<context>
    <name>WifiListWindow</name>
    <message>
        <source>Wi-Fi アクセスポイント一覧</source>
        <translation>Wi-Fi networks</translation>
    </message>
    <message>
        <source>ご利用になるWi-Fiを選んでください</source>
        <translation>Choose the Wi-Fi network to use</translation>
    </message>
    <message>
        <source>Wi-Fiに接続する</source>
        <translation>Connect to Wi-Fi</translation>
    </message>
    <message>
        <source>Ravelo</source>
        <translation>Ravelo</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>ネットワークを探しています</source>
        <translation>Looking for networks</translation>
    </message>
    <message>
        <source>Wi-Fiが見つかりました</source>
        <translation>Wi-Fi networks found</translation>
    </message>
    <message>
        <source>Wi-Fiは見つかりませんでした</source>
        <translation>No Wi-Fi networks were found</translation>
    </message>
    <message>
        <source>カメラが見つかりません</source>
        <translation>Camera not found</translation>
    </message>
    <message>
        <source>Wi-Fiが見つかりません</source>
        <translation>No Wi-Fi networks found</translation>
    </message>
    <message>
        <source>このPCが接続しているネットワークです</source>
        <translation>This PC is connected to this network</translation>
    </message>
    <message>
        <source>Wi-Fiを探しています</source>
        <translation>Looking for Wi-Fi networks</translation>
    </message>
    <message>
        <source>更新ボタンを押して、Wi-Fiを探してください</source>
        <translation>Press Refresh to look for Wi-Fi networks</translation>
    </message>
    <message>
        <source>その他のネットワーク</source>
        <translation>Other network</translation>
    </message>
    <message>
        <source>Wi-Fiに接続</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>一覧にないWi-Fi（名前を公開していないネットワークなど）は、ここで名前を入力して接続します</source>
        <translation>Networks that are not in the list (such as hidden ones) are entered here by name</translation>
    </message>
    <message>
        <source>「%1」は5GHzのWi-Fiです。カメラは2.4GHzのWi-Fiを使います。ほかのWi-Fiを選ぶか、ルーターの2.4GHzを有効にしてください。</source>
        <translation>“%1” is a 5 GHz network; the camera uses 2.4 GHz networks. Choose another network or turn on 2.4 GHz on the router.</translation>
    </message>
    <message>
        <source>「%1」はWPA3またはエンタープライズ方式だけのため、カメラが接続できない場合があります。</source>
        <translation>“%1” offers only WPA3 or enterprise security; the camera may not be able to join it.</translation>
    </message>
    <message>
        <source>カメラには「%1」が見えていません。ルーターから遠いかもしれません。近づけてから「更新」を押してください。</source>
        <translation>The camera does not see “%1”. It may be too far from the router: bring it closer and press Refresh.</translation>
    </message>
</context>
</TS>
