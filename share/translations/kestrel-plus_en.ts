<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Kestrel</name>
    <message>
        <source>フォルダを選択してください</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>Palm Desktopのセットアップ</source>
        <translation>Palm Desktop setup</translation>
    </message>
    <message>
        <source>ヘルプファイル %s が見つかりません。</source>
        <translation>The help file %s cannot be found.</translation>
    </message>
    <message>
        <source>ヘルプファイル %s を表示できません。
ブラウザで開いてください。</source>
        <translation>The help file %s cannot be shown.
Please open it in a browser.</translation>
    </message>
    <message>
        <source>ユーザ "%s"を削除してよろしいですか？</source>
        <translation>Delete the user "%s"?</translation>
    </message>
    <message>
        <source>%d個のファイルを削除してよろしいですか？</source>
        <translation>Delete %d files?</translation>
    </message>
    <message>
        <source>'%s' を削除してよろしいですか？</source>
        <translation>Delete '%s'?</translation>
    </message>
    <message>
        <source>フォルダ内ののすべてのファイルを削除してよろしいですか？

  %s</source>
        <translation>Delete every file in the folder?

  %s</translation>
    </message>
    <message>
        <source>%d 個のファイルをバックアップしました。</source>
        <translation>%d files were backed up.</translation>
    </message>
    <message>
        <source>このアイテムのプロパティはありません。</source>
        <translation>This item has no properties.</translation>
    </message>
    <message>
        <source>%s は読み取り専用です。
本当に削除しますか？</source>
        <translation>%s is read-only.
Delete it anyway?</translation>
    </message>
    <message>
        <source>%sは既に存在します。
上書きしますか？</source>
        <translation>%s already exists.
Overwrite it?</translation>
    </message>
    <message>
        <source>コピー先フォルダが存在しません。作成しますか？

  %s</source>
        <translation>The destination folder does not exist. Create it?

  %s</translation>
    </message>
    <message>
        <source>'%s' は削除できません。</source>
        <translation>'%s' cannot be deleted.</translation>
    </message>
    <message>
        <source>変換用テンポラリファイルが作成できないため、変換できません</source>
        <translation>The temporary file for the conversion cannot be created, so the file cannot be converted</translation>
    </message>
    <message>
        <source>リンクの実行ができません</source>
        <translation>The link cannot be opened</translation>
    </message>
    <message>
        <source>ファイルがコピーできません
  %s
  %s</source>
        <translation>The file cannot be copied
  %s
  %s</translation>
    </message>
    <message>
        <source>フォルダが作成できません

  %s</source>
        <translation>The folder cannot be created

  %s</translation>
    </message>
    <message>
        <source>カレントのユーザ名が不明です。</source>
        <translation>The current user name is unknown.</translation>
    </message>
    <message>
        <source>%s が見つかりません。</source>
        <translation>%s cannot be found.</translation>
    </message>
    <message>
        <source>%s のバージョンを確認してください。</source>
        <translation>Please check the version of %s.</translation>
    </message>
    <message>
        <source>インストール</source>
        <translation>Install</translation>
    </message>
    <message>
        <source>インストール予約</source>
        <translation>Mark for install</translation>
    </message>
    <message>
        <source>インストール解除</source>
        <translation>Unmark for install</translation>
    </message>
    <message>
        <source>バックアップ</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>説明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>タイプ</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>リンク</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>カテゴリ</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>更新日付</source>
        <translation>Date modified</translation>
    </message>
    <message>
        <source>お知らせ</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>インストール予約(&amp;I)</source>
        <translation>Mark for &amp;install</translation>
    </message>
    <message>
        <source>すべて選択・解除(&amp;A)</source>
        <translation>Select or clear &amp;all</translation>
    </message>
    <message>
        <source>全て選択・解除</source>
        <translation>Select or clear all</translation>
    </message>
    <message>
        <source>インストールフォルダにコピー(&amp;C)</source>
        <translation>&amp;Copy to the install folder</translation>
    </message>
    <message>
        <source>インストールフォルダにコピー</source>
        <translation>Copy to the install folder</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>ユーザの追加(&amp;U)</source>
        <translation>Add &amp;user</translation>
    </message>
    <message>
        <source>ユーザの追加</source>
        <translation>Add user</translation>
    </message>
    <message>
        <source>フォルダの追加(&amp;F)</source>
        <translation>Add &amp;folder</translation>
    </message>
    <message>
        <source>フォルダの追加</source>
        <translation>Add folder</translation>
    </message>
    <message>
        <source>オートバックアップ</source>
        <translation>Auto backup</translation>
    </message>
    <message>
        <source>オートバックアップ（今回のみ）</source>
        <translation>Auto backup (this session only)</translation>
    </message>
    <message>
        <source>ファイルの追加(&amp;A)</source>
        <translation>&amp;Add files</translation>
    </message>
    <message>
        <source>ファイルの追加</source>
        <translation>Add files</translation>
    </message>
    <message>
        <source>HotSync Managerの起動</source>
        <translation>Start HotSync Manager</translation>
    </message>
    <message>
        <source>HotSync Managerの停止</source>
        <translation>Stop HotSync Manager</translation>
    </message>
    <message>
        <source>設定...(&amp;C)</source>
        <translation>&amp;Configuration...</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>バックアップ(&amp;B)</source>
        <translation>&amp;Backup</translation>
    </message>
    <message>
        <source>関連サイトへ Kestrel+(&amp;G)</source>
        <translation>&amp;Go to the related site Kestrel+</translation>
    </message>
    <message>
        <source>関連サイトへ Kestrel+</source>
        <translation>Go to the related site Kestrel+</translation>
    </message>
    <message>
        <source>プロパティ(&amp;R)</source>
        <translation>P&amp;roperties</translation>
    </message>
    <message>
        <source>目次(&amp;C)</source>
        <translation>&amp;Contents</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ユーザ情報の変更</source>
        <translation>Change user information</translation>
    </message>
    <message>
        <source>AppListの取得</source>
        <translation>Get the AppList</translation>
    </message>
    <message>
        <source>更新チェック</source>
        <translation>Update check</translation>
    </message>
    <message>
        <source>Palmwareの更新チェック</source>
        <translation>Check Palmware for updates</translation>
    </message>
    <message>
        <source>Pilot XFer連携(&amp;L)</source>
        <translation>Pilot XFer &amp;link</translation>
    </message>
    <message>
        <source>Pilot XFer連携</source>
        <translation>Pilot XFer link</translation>
    </message>
    <message>
        <source>最新の情報に更新(&amp;R)</source>
        <translation>&amp;Refresh</translation>
    </message>
    <message>
        <source>項目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>パス</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>フォルダの追加 - </source>
        <translation>Add folder - </translation>
    </message>
    <message>
        <source>新しく作成するフォルダの名前を入力してください</source>
        <translation>Enter the name of the new folder</translation>
    </message>
    <message>
        <source>フォルダ名を入力してください</source>
        <translation>Please enter a folder name</translation>
    </message>
    <message>
        <source>フォルダ名には次の文字は使えません
          \ / : , ; * ? " &lt; &gt; |</source>
        <translation>A folder name cannot contain these characters
          \ / : , ; * ? " &lt; &gt; |</translation>
    </message>
    <message>
        <source>フォルダ名は、「新しいフォルダ」でよろしいですか？
わかりやすい名前を入力することをお薦めします</source>
        <translation>Keep the folder name "New Folder"?
A name that says what the folder holds is recommended</translation>
    </message>
    <message>
        <source>指定されたフォルダは既に存在します
別の名前を入力してください</source>
        <translation>That folder already exists
Please enter another name</translation>
    </message>
    <message>
        <source>フォルダが作成できません</source>
        <translation>The folder cannot be created</translation>
    </message>
    <message>
        <source>アーカイブファイルをツリー表示</source>
        <translation>Show archive files in the tree</translation>
    </message>
    <message>
        <source>AppListの保存</source>
        <translation>Save the AppList</translation>
    </message>
    <message>
        <source>アーカイブファイル(*.lzh;*.zip) (*.lzh *.zip)</source>
        <translation>Archive files (*.lzh;*.zip) (*.lzh *.zip)</translation>
    </message>
    <message>
        <source>すべてのファイル(*.*) (*)</source>
        <translation>All files (*.*) (*)</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>インストール(&amp;I)</source>
        <translation>&amp;Install</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>HotSync Managerの起動(&amp;S)</source>
        <translation>&amp;Start HotSync Manager</translation>
    </message>
    <message>
        <source>HotSync Managerの停止(&amp;P)</source>
        <translation>Sto&amp;p HotSync Manager</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>オートバックアップ（変更は再起動無効）</source>
        <translation>Auto backup (a change lasts until the next start)</translation>
    </message>
    <message>
        <source>ツール</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>復元ツール(&amp;T)</source>
        <translation>Restore &amp;tools</translation>
    </message>
    <message>
        <source>大きいアイコン(&amp;G)</source>
        <translation>Lar&amp;ge icons</translation>
    </message>
    <message>
        <source>小さいアイコン(&amp;M)</source>
        <translation>S&amp;mall icons</translation>
    </message>
    <message>
        <source>一覧(&amp;L)</source>
        <translation>&amp;List</translation>
    </message>
    <message>
        <source>詳細(&amp;D)</source>
        <translation>&amp;Details</translation>
    </message>
    <message>
        <source>COMポートの選択</source>
        <translation>Choose the COM port</translation>
    </message>
    <message>
        <source>ユーザ名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>ショートユーザ名</source>
        <translation>Short user name</translation>
    </message>
    <message>
        <source>ユーザＩＤ</source>
        <translation>User ID</translation>
    </message>
    <message>
        <source>インストールフォルダ</source>
        <translation>Install folder</translation>
    </message>
    <message>
        <source>バックアップフォルダ</source>
        <translation>Backup folder</translation>
    </message>
    <message>
        <source>新しいフォルダ</source>
        <translation>New Folder</translation>
    </message>
    <message>
        <source>ファイルが読み込めません

  %s</source>
        <translation>The file cannot be read

  %s</translation>
    </message>
    <message>
        <source>ファイルが保存できません

  %s</source>
        <translation>The file cannot be saved

  %s</translation>
    </message>
    <message>
        <source>本当にタイトルを変更しますか？</source>
        <translation>Really change the title?</translation>
    </message>
    <message>
        <source>ファイル名が変更できません</source>
        <translation>The file cannot be renamed</translation>
    </message>
    <message>
        <source>タイトルが変更できません

  %s</source>
        <translation>The title cannot be changed

  %s</translation>
    </message>
    <message>
        <source>AppListを取得します(ダイアルしない)</source>
        <translation>Getting the AppList (no dial-up)</translation>
    </message>
    <message>
        <source>AppListを取得します(接続済み)</source>
        <translation>Getting the AppList (already connected)</translation>
    </message>
    <message>
        <source>接続できません(%d)</source>
        <translation>Cannot connect (%d)</translation>
    </message>
    <message>
        <source>AppListの取得ができませんでした(1)
接続の設定を確認してください

　エラー１：%s</source>
        <translation>The AppList could not be fetched (1)
Please check the connection settings

  Error 1: %s</translation>
    </message>
    <message>
        <source>AppListの取得ができませんでした(2)
接続の設定を確認してください

　エラー：%s</source>
        <translation>The AppList could not be fetched (2)
Please check the connection settings

  Error: %s</translation>
    </message>
    <message>
        <source>AppListの取得をキャンセルしました

　状態：%s</source>
        <translation>Fetching the AppList was cancelled

  State: %s</translation>
    </message>
    <message>
        <source>HTTPのエラー

　エラー：%s</source>
        <translation>HTTP error

  Error: %s</translation>
    </message>
    <message>
        <source>接続エラー</source>
        <translation>Connection error</translation>
    </message>
    <message>
        <source>AppListを更新しました

切断しますか？</source>
        <translation>The AppList was updated

Hang up?</translation>
    </message>
    <message>
        <source>回線が接続されています(%d)
切断しますか？</source>
        <translation>The line is connected (%d)
Hang up?</translation>
    </message>
    <message>
        <source>回線切断中</source>
        <translation>Hanging up</translation>
    </message>
    <message>
        <source>プロキシのポート番号が正しくありません(1～65535)："</source>
        <translation>The proxy port number is not valid (1-65535): "</translation>
    </message>
    <message>
        <source>不明</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>HTTP 接続</source>
        <translation>HTTP connected</translation>
    </message>
    <message>
        <source>受信：</source>
        <translation>Received: </translation>
    </message>
    <message>
        <source>HTTP 切断</source>
        <translation>HTTP disconnected</translation>
    </message>
    <message>
        <source>プロパティ</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>タイトルの変更は危険なので自己責任でお願いします</source>
        <translation>Changing the title is risky: do it at your own risk</translation>
    </message>
    <message>
        <source>AppListの編集を行います</source>
        <translation>Edit the AppList</translation>
    </message>
    <message>
        <source>変更</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>（不明）</source>
        <translation>(unknown)</translation>
    </message>
    <message>
        <source>フォルダが存在しません。作成しますか？</source>
        <translation>The folder does not exist. Create it?</translation>
    </message>
    <message>
        <source>フォルダが作成できませんでした。</source>
        <translation>The folder could not be created.</translation>
    </message>
    <message>
        <source>ユーザが重複してます</source>
        <translation>That user already exists</translation>
    </message>
    <message>
        <source>ユーザ名が違います</source>
        <translation>The user name does not match</translation>
    </message>
    <message>
        <source>バックアップフォルダを指定してください</source>
        <translation>Please give a backup folder</translation>
    </message>
    <message>
        <source>全角</source>
        <translation>full-width</translation>
    </message>
    <message>
        <source>半角</source>
        <translation>half-width</translation>
    </message>
    <message>
        <source>ユーザ定義文字１のサイズが合いません。
%sのほうが短いようです。</source>
        <translation>The sizes of user-defined set 1 do not match.
The %s field seems to be shorter.</translation>
    </message>
    <message>
        <source>ユーザ定義文字２のサイズが合いません。
%sのほうが短いようです。</source>
        <translation>The sizes of user-defined set 2 do not match.
The %s field seems to be shorter.</translation>
    </message>
    <message>
        <source>ユーザ定義文字１が不正です。</source>
        <translation>User-defined set 1 is not valid.</translation>
    </message>
    <message>
        <source>ユーザ定義文字２が不正です。</source>
        <translation>User-defined set 2 is not valid.</translation>
    </message>
    <message>
        <source>%s は変更されています。反映しますか？</source>
        <translation>%s has been changed. Apply the change?</translation>
    </message>
    <message>
        <source>拡張子を入力してください</source>
        <translation>Please enter an extension</translation>
    </message>
    <message>
        <source>'%s'は追加できません</source>
        <translation>'%s' cannot be added</translation>
    </message>
    <message>
        <source>拡張子 '%s' は登録済みです</source>
        <translation>The extension '%s' is already registered</translation>
    </message>
    <message>
        <source>'%s'は変更できません。追加しますか？</source>
        <translation>'%s' cannot be changed. Add a new entry?</translation>
    </message>
    <message>
        <source>拡張子が変更されていますが、変更でよろしいですか？

  はい：変更　いいえ：追加　キャンセル：中止</source>
        <translation>The extension has been changed. Change this entry?

  Yes: change   No: add   Cancel: stop</translation>
    </message>
    <message>
        <source>%s が実行できません。</source>
        <translation>%s cannot be run.</translation>
    </message>
    <message>
        <source>'%s'の設定を保存しますか？</source>
        <translation>Save the settings of '%s'?</translation>
    </message>
    <message>
        <source>0.9x以前のレジストリ情報を削除してよろしいですか？</source>
        <translation>Delete the registry settings of version 0.9x and earlier?</translation>
    </message>
    <message>
        <source>ダイアルしない</source>
        <translation>Do not dial</translation>
    </message>
    <message>
        <source>システムの設定に従う</source>
        <translation>As the system</translation>
    </message>
    <message>
        <source>日本語</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <source>実行ファイル (*.exe *.com *.pif *.lnk)</source>
        <translation>Programs (*.exe *.com *.pif *.lnk)</translation>
    </message>
    <message>
        <source>全てのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>ユーザ情報</source>
        <translation>User information</translation>
    </message>
    <message>
        <source>ユーザ名 :</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>バックアップフォルダ :</source>
        <translation>Backup folder:</translation>
    </message>
    <message>
        <source>Palm Desktopが見つかりません。
</source>
        <translation>Palm Desktop cannot be found.
</translation>
    </message>
    <message>
        <source>HotSyncのためのフォルダと設定を作成します。</source>
        <translation>The folders and settings for HotSync will be created.</translation>
    </message>
    <message>
        <source>Palmデータのフォルダ :</source>
        <translation>Palm data folder:</translation>
    </message>
    <message>
        <source>COMポート :</source>
        <translation>COM port:</translation>
    </message>
    <message>
        <source>ネットワークHotSyncを使う</source>
        <translation>Use network HotSync</translation>
    </message>
    <message>
        <source>オンにすると、ネットワーク上のどの機器からでもHotSyncできます。</source>
        <translation>When on, any device on the network can HotSync.</translation>
    </message>
    <message>
        <source>Palmデータのフォルダを指定してください</source>
        <translation>Please give the Palm data folder</translation>
    </message>
    <message>
        <source>日本語文字セット用サンプルテキスト</source>
        <translation>Sample text for the Japanese character set</translation>
    </message>
    <message>
        <source>Kestrel+ の設定</source>
        <translation>Kestrel+ configuration</translation>
    </message>
    <message>
        <source>連携</source>
        <translation>Handlers</translation>
    </message>
    <message>
        <source>テキスト整形</source>
        <translation>Text formatting</translation>
    </message>
    <message>
        <source>動作</source>
        <translation>Behaviour</translation>
    </message>
    <message>
        <source>接続</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>ユーザ :</source>
        <translation>User:</translation>
    </message>
    <message>
        <source>何もしない</source>
        <translation>Do nothing</translation>
    </message>
    <message>
        <source>全角に変換</source>
        <translation>To full-width</translation>
    </message>
    <message>
        <source>半角に変換</source>
        <translation>To half-width</translation>
    </message>
    <message>
        <source>拡張子 :</source>
        <translation>Extension:</translation>
    </message>
    <message>
        <source>インストール :</source>
        <translation>Install:</translation>
    </message>
    <message>
        <source>プログラム連携を利用する</source>
        <translation>Use a program</translation>
    </message>
    <message>
        <source>連携の設定</source>
        <translation>Program settings</translation>
    </message>
    <message>
        <source>タイトル :</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>プログラム :</source>
        <translation>Program:</translation>
    </message>
    <message>
        <source>作業フォルダ :</source>
        <translation>Work folder:</translation>
    </message>
    <message>
        <source>オプション :</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>復元を利用 :</source>
        <translation>Restore:</translation>
    </message>
    <message>
        <source>設定を利用 :</source>
        <translation>Settings:</translation>
    </message>
    <message>
        <source>テキスト整形を使用する</source>
        <translation>Format the text</translation>
    </message>
    <message>
        <source>ウィンドウを表示する</source>
        <translation>Show the window</translation>
    </message>
    <message>
        <source>追加(&amp;A)</source>
        <translation>&amp;Add</translation>
    </message>
    <message>
        <source>変更(&amp;R)</source>
        <translation>&amp;Replace</translation>
    </message>
    <message>
        <source>上へ(&amp;U)</source>
        <translation>&amp;Up</translation>
    </message>
    <message>
        <source>下へ(&amp;W)</source>
        <translation>Do&amp;wn</translation>
    </message>
    <message>
        <source>関連付け</source>
        <translation>Associate</translation>
    </message>
    <message>
        <source>関連解除</source>
        <translation>Dissociate</translation>
    </message>
    <message>
        <source>クリア(&amp;C)</source>
        <translation>&amp;Clear</translation>
    </message>
    <message>
        <source>カナ</source>
        <translation>Kana</translation>
    </message>
    <message>
        <source>英数</source>
        <translation>Alphanumerics</translation>
    </message>
    <message>
        <source>ユーザ定義１</source>
        <translation>User-defined 1</translation>
    </message>
    <message>
        <source>ユーザ定義２</source>
        <translation>User-defined 2</translation>
    </message>
    <message>
        <source>行頭、行尾の空白を除去する</source>
        <translation>Remove spaces at line starts and ends</translation>
    </message>
    <message>
        <source>行を段落（？）で連結する</source>
        <translation>Join lines into paragraphs (?)</translation>
    </message>
    <message>
        <source>半角１ : </source>
        <translation>Half-width 1: </translation>
    </message>
    <message>
        <source>全角１ : </source>
        <translation>Full-width 1: </translation>
    </message>
    <message>
        <source>初期値</source>
        <translation>Defaults</translation>
    </message>
    <message>
        <source>半角２ : </source>
        <translation>Half-width 2: </translation>
    </message>
    <message>
        <source>全角２ : </source>
        <translation>Full-width 2: </translation>
    </message>
    <message>
        <source>自動的にバックアップを作成する</source>
        <translation>Make backups automatically</translation>
    </message>
    <message>
        <source>ファイルの削除時に確認する</source>
        <translation>Confirm before deleting files</translation>
    </message>
    <message>
        <source>ファイルの上書き時に確認する</source>
        <translation>Confirm before overwriting files</translation>
    </message>
    <message>
        <source>復元時にバックアップ( .bak)を作成する</source>
        <translation>Make a backup (.bak) when restoring</translation>
    </message>
    <message>
        <source>アーカイブファイルをバックアップ</source>
        <translation>Back up archive files</translation>
    </message>
    <message>
        <source>起動時に HotSyncManagerを起動する</source>
        <translation>Start HotSync Manager at start</translation>
    </message>
    <message>
        <source>終了時に HotSyncManagerを停止する</source>
        <translation>Stop HotSync Manager at exit</translation>
    </message>
    <message>
        <source>USB Switcherも対象にする</source>
        <translation>Include USB Switcher</translation>
    </message>
    <message>
        <source>Palmwareのタイトルを表示する</source>
        <translation>Show Palmware titles</translation>
    </message>
    <message>
        <source>簡易説明を表示する</source>
        <translation>Show short descriptions</translation>
    </message>
    <message>
        <source>バックアップフォルダでアーカイブ</source>
        <translation>Archives in the backup folder</translation>
    </message>
    <message>
        <source>関連付け起動でウィンドウを表示する</source>
        <translation>Show the window when started by association</translation>
    </message>
    <message>
        <source>仮想フォルダ作成時に選択する</source>
        <translation>Select a virtual folder when it is made</translation>
    </message>
    <message>
        <source>表示言語（次回起動時から） :</source>
        <translation>Language (from the next start):</translation>
    </message>
    <message>
        <source>古バージョン情報の削除</source>
        <translation>Delete old version settings</translation>
    </message>
    <message>
        <source>AppListのURL :</source>
        <translation>AppList URL:</translation>
    </message>
    <message>
        <source>プロキシサーバを使用する</source>
        <translation>Use a proxy server</translation>
    </message>
    <message>
        <source>アドレス:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>ポート :</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>接続先 :</source>
        <translation>Dial-up entry:</translation>
    </message>
    <message>
        <source>終了時に切断する</source>
        <translation>Hang up at exit</translation>
    </message>
    <message>
        <source>切断時に確認する</source>
        <translation>Confirm before hanging up</translation>
    </message>
    <message>
        <source>注意！　Glancer機能は正式サポート機能ではありません。</source>
        <translation>Note: the Glancer is not an officially supported feature.</translation>
    </message>
    <message>
        <source>アーカイブフォルダでのダブルクリックは、Glancerで表示する</source>
        <translation>A double-click in an archive folder shows the file in the Glancer</translation>
    </message>
    <message>
        <source>HTMLの解析を行う（あまり真面目にやってないので変なとこもあるかも・・・）</source>
        <translation>Render HTML (not very thorough, so some pages may look odd...)</translation>
    </message>
    <message>
        <source>フォントの指定（固定ピッチのみ選択可能）</source>
        <translation>Fonts (fixed pitch only)</translation>
    </message>
    <message>
        <source>英語</source>
        <translation>Western</translation>
    </message>
    <message>
        <source>終了時の位置とサイズを保存する</source>
        <translation>Save the position and size at exit</translation>
    </message>
    <message>
        <source>フルパス名</source>
        <translation>Full path</translation>
    </message>
    <message>
        <source>フォルダ名</source>
        <translation>Folder name</translation>
    </message>
    <message>
        <source>ファイル名(拡張子なし)</source>
        <translation>File name (no extension)</translation>
    </message>
    <message>
        <source>拡張子</source>
        <translation>Extension</translation>
    </message>
    <message>
        <source>短いフルパス名</source>
        <translation>Short full path</translation>
    </message>
    <message>
        <source>短いフォルダ名</source>
        <translation>Short folder name</translation>
    </message>
    <message>
        <source>短いファイル名</source>
        <translation>Short file name</translation>
    </message>
    <message>
        <source>短いファイル名(拡張子なし)</source>
        <translation>Short file name (no extension)</translation>
    </message>
    <message>
        <source>短い拡張子</source>
        <translation>Short extension</translation>
    </message>
    <message>
        <source>短いインストールフォルダ</source>
        <translation>Short install folder</translation>
    </message>
    <message>
        <source>拡張子の設定が正しくありません</source>
        <translation>The extension setting is not valid</translation>
    </message>
    <message>
        <source>キーのオープンに失敗しました。</source>
        <translation>The key could not be opened.</translation>
    </message>
    <message>
        <source>関連付けの設定が見つかりません。</source>
        <translation>The association settings cannot be found.</translation>
    </message>
    <message>
        <source>リストアする関連付けの情報が見つかりません。
関連付け情報を完全に削除しますか？

</source>
        <translation>No association to restore was found.
Delete the association completely?

</translation>
    </message>
    <message>
        <source>元からあった関連付け情報も削除されることに注意して下さい</source>
        <translation>Note that the association that was there before is deleted too</translation>
    </message>
    <message>
        <source>デスクトップの関連付けを変更できませんでした。
%s</source>
        <translation>The desktop association could not be changed.
%s</translation>
    </message>
    <message>
        <source>関連付けの設定でエラーが発生しました。</source>
        <translation>An error occurred while setting the association.</translation>
    </message>
    <message>
        <source>関連付けのリストアでエラーが発生しました。</source>
        <translation>An error occurred while restoring the association.</translation>
    </message>
    <message>
        <source>関連づけができません</source>
        <translation>The association cannot be made</translation>
    </message>
    <message>
        <source>関連づけの解除ができません</source>
        <translation>The association cannot be undone</translation>
    </message>
    <message>
        <source>%s が実行できません。

 %s</source>
        <translation>%s cannot be run.

 %s</translation>
    </message>
    <message>
        <source>元ファイルをコピーする</source>
        <translation>Copy the original file</translation>
    </message>
    <message>
        <source>変換後の prcファイルをコピーする</source>
        <translation>Copy the converted prc file</translation>
    </message>
    <message>
        <source>変換後の pdbファイルをコピーする</source>
        <translation>Copy the converted pdb file</translation>
    </message>
    <message>
        <source>変換後の prcファイルを移動する</source>
        <translation>Move the converted prc file</translation>
    </message>
    <message>
        <source>変換後の pdbファイルを移動する</source>
        <translation>Move the converted pdb file</translation>
    </message>
    <message>
        <source>連携プログラムが指定されてません</source>
        <translation>No program is set</translation>
    </message>
    <message>
        <source>既に '%s'が設定されてますが、変更してよろしいですか？</source>
        <translation>'%s' is already set. Change it?</translation>
    </message>
    <message>
        <source>解凍に失敗しました(%d)

　書庫　　：%s
　フォルダ：%s
　ファイル：%s</source>
        <translation>Extracting failed (%d)

  Archive: %s
  Folder:  %s
  File:    %s</translation>
    </message>
    <message>
        <source>フォルダが作成できませんでした。
%s</source>
        <translation>The folder could not be created.
%s</translation>
    </message>
    <message>
        <source>Users.datが書き込めません。
%s</source>
        <translation>Users.dat cannot be written.
%s</translation>
    </message>
    <message>
        <source>Palm Desktopの 2.0以降をセットアップして下さい</source>
        <translation>Please set up Palm Desktop 2.0 or later</translation>
    </message>
    <message>
        <source>Palm Desktopのレジストリが読み込めません</source>
        <translation>The Palm Desktop registry cannot be read</translation>
    </message>
    <message>
        <source>Users.datが読み込めません。</source>
        <translation>Users.dat cannot be read.</translation>
    </message>
    <message>
        <source>HotSync Managerの起動ができません</source>
        <translation>HotSync Manager cannot be started</translation>
    </message>
    <message>
        <source>SonyPDA USB Switcherが起動できません</source>
        <translation>SonyPDA USB Switcher cannot be started</translation>
    </message>
    <message>
        <source>ファイルを読めません
%s
%s</source>
        <translation>The file cannot be read
%s
%s</translation>
    </message>
    <message>
        <source>検索 (正規表現):</source>
        <translation>Find (regular expression):</translation>
    </message>
    <message>
        <source>次を検索 (F3)</source>
        <translation>Find next (F3)</translation>
    </message>
    <message>
        <source>正規表現が正しくありません: </source>
        <translation>The regular expression is not valid: </translation>
    </message>
    <message>
        <source>先頭から検索しました</source>
        <translation>Searched from the top</translation>
    </message>
    <message>
        <source>見つかりません</source>
        <translation>Not found</translation>
    </message>
    <message>
        <source>最高</source>
        <translation>Highest</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>普通</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>アップデート</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>リストア</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>一覧</source>
        <translation>List</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>同期</source>
        <translation>Sync</translation>
    </message>
    <message>
        <source>中止(&amp;T)</source>
        <translation>S&amp;top</translation>
    </message>
    <message>
        <source>アップデート(&amp;U)</source>
        <translation>&amp;Update</translation>
    </message>
    <message>
        <source>同期(&amp;S)</source>
        <translation>&amp;Sync</translation>
    </message>
    <message>
        <source>リストア(&amp;R)</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>ログの保存(&amp;S)</source>
        <translation>&amp;Save the log</translation>
    </message>
    <message>
        <source>ログのクリア(&amp;C)</source>
        <translation>&amp;Clear the log</translation>
    </message>
    <message>
        <source>デフォルトをバックアップにする</source>
        <translation>Make backup the default</translation>
    </message>
    <message>
        <source>デフォルトをアップデートにする</source>
        <translation>Make update the default</translation>
    </message>
    <message>
        <source>デフォルトを同期にする</source>
        <translation>Make sync the default</translation>
    </message>
    <message>
        <source>ログを保存(&amp;S)</source>
        <translation>&amp;Save the log</translation>
    </message>
    <message>
        <source>フォルダ :</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>バックアップフォルダを選択してください</source>
        <translation>Choose the backup folder</translation>
    </message>
    <message>
        <source>pilot-xferのパス :</source>
        <translation>pilot-xfer path:</translation>
    </message>
    <message>
        <source>pilot-xferのパスを選択してください</source>
        <translation>Choose the path of pilot-xfer</translation>
    </message>
    <message>
        <source>速度 :</source>
        <translation>Speed:</translation>
    </message>
    <message>
        <source>実行優先度</source>
        <translation>Priority</translation>
    </message>
    <message>
        <source>詳細 &gt;&gt;</source>
        <translation>More &gt;&gt;</translation>
    </message>
    <message>
        <source>&lt;&lt; 戻す</source>
        <translation>&lt;&lt; Less</translation>
    </message>
    <message>
        <source>pilot-xferの実行を中止しました</source>
        <translation>pilot-xfer was stopped</translation>
    </message>
    <message>
        <source>・pilot-xferが見つからない
</source>
        <translation>- pilot-xfer cannot be found
</translation>
    </message>
    <message>
        <source>フォルダが存在しません。
作成しますか？</source>
        <translation>The folder does not exist.
Create it?</translation>
    </message>
    <message>
        <source>フォルダが作成できませんでした</source>
        <translation>The folder could not be created</translation>
    </message>
    <message>
        <source>・バックアップパスが作成できない
</source>
        <translation>- the backup path cannot be created
</translation>
    </message>
    <message>
        <source>・バックアップパスが見つからない
</source>
        <translation>- the backup path cannot be found
</translation>
    </message>
    <message>
        <source>pilot-xferが実行できませんでした

エラー原因
%s</source>
        <translation>pilot-xfer could not be run

Reason
%s</translation>
    </message>
    <message>
        <source>pilot-xferの実行に失敗しました。

  %s
  %s</source>
        <translation>pilot-xfer failed.

  %s
  %s</translation>
    </message>
    <message>
        <source>  HotSyncボタンを押して下さい</source>
        <translation>  Press the HotSync button</translation>
    </message>
    <message>
        <source>pilot-xferが実行中ですが、終了しますか？</source>
        <translation>pilot-xfer is running. Close anyway?</translation>
    </message>
    <message>
        <source>%ld 秒</source>
        <translation>%ld s</translation>
    </message>
    <message>
        <source>%ld 分 %ld 秒</source>
        <translation>%ld min %ld s</translation>
    </message>
    <message>
        <source>Glancer (ESCで終了) - </source>
        <translation>Glancer (Esc closes) - </translation>
    </message>
    <message>
        <source>ファイルが読み込めなかったため、保存しません

  %s</source>
        <translation>The file could not be read, so it is not saved

  %s</translation>
    </message>
    <message>
        <source>関連サイトが見つかりません
AppListを確認してください</source>
        <translation>No related site was found
Please check the AppList</translation>
    </message>
    <message>
        <source> バイト</source>
        <translation> bytes</translation>
    </message>
    <message>
        <source>AppListを更新しました</source>
        <translation>The AppList was updated</translation>
    </message>
    <message>
        <source>AppListの取得に失敗しました</source>
        <translation>Fetching the AppList failed</translation>
    </message>
    <message>
        <source>AppListの取得中です。処理を中断しますか？</source>
        <translation>The AppList is being fetched. Stop?</translation>
    </message>
    <message>
        <source>Palmから PCへバックアップを行います・・・</source>
        <translation>Backing up the Palm to the PC...</translation>
    </message>
    <message>
        <source>Palmから PCへのアップデートを行います・・・</source>
        <translation>Updating the PC from the Palm...</translation>
    </message>
    <message>
        <source>PCをPalmに同期します（Palm上にないファイルは PCから削除されます）・・・</source>
        <translation>Syncing the PC to the Palm (files not on the Palm are deleted from the PC)...</translation>
    </message>
    <message>
        <source>PCから Palmへのリストアを行います・・・</source>
        <translation>Restoring the PC to the Palm...</translation>
    </message>
    <message>
        <source>一覧の取得を行います・・・</source>
        <translation>Listing the databases...</translation>
    </message>
    <message>
        <source>設</source>
        <translation>C</translation>
    </message>
    <message>
        <source>既に接続されています</source>
        <translation>Already connected</translation>
    </message>
    <message>
        <source>接続先が見つかりません</source>
        <translation>The connection was not found</translation>
    </message>
    <message>
        <source>接続がタイムアウトしました</source>
        <translation>The connection timed out</translation>
    </message>
    <message>
        <source>接続に失敗しました</source>
        <translation>The connection failed</translation>
    </message>
    <message>
        <source>ダイアルアップ接続のサービスを使えません</source>
        <translation>The dial-up service is not available</translation>
    </message>
    <message>
        <source>ダイアルアップ接続のエラー(%s)</source>
        <translation>Dial-up error (%s)</translation>
    </message>
    <message>
        <source>切断されました</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <source>ポートを開いています</source>
        <translation>Opening the port</translation>
    </message>
    <message>
        <source>デバイスに接続しています</source>
        <translation>Connecting to the device</translation>
    </message>
    <message>
        <source>認証しています</source>
        <translation>Authenticating</translation>
    </message>
    <message>
        <source>ネットワークの設定をしています</source>
        <translation>Configuring the network</translation>
    </message>
    <message>
        <source>接続を確認しています</source>
        <translation>Checking the connection</translation>
    </message>
    <message>
        <source>関連する接続を開始しています</source>
        <translation>Starting related connections</translation>
    </message>
    <message>
        <source>nmcli が見つかりません</source>
        <translation>nmcli was not found</translation>
    </message>
    <message>
        <source>接続しました</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>xdg-mime が見つかりません。</source>
        <translation>xdg-mime was not found.</translation>
    </message>
    <message>
        <source>%s が失敗しました。</source>
        <translation>%s failed.</translation>
    </message>
    <message>
        <source>%s を書き込めません。</source>
        <translation>Cannot write %s.</translation>
    </message>
    <message>
        <source>HotSync(&amp;S)</source>
        <translation>Hot&amp;Sync</translation>
    </message>
    <message>
        <source>Glancer(&amp;V)</source>
        <translation>&amp;Glancer</translation>
    </message>
    <message>
        <source>OK(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
</context>
</TS>