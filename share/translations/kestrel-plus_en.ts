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
</context>
</TS>