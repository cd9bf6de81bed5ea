<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>cli</name>
    <message>
        <source>使い方</source>
        <translation>Usage</translation>
    </message>
    <message>
        <source>不明なコマンドです: %1</source>
        <translation>unknown command: %1</translation>
    </message>
    <message>
        <source>ファイルを指定してください: %1</source>
        <translation>a file is needed: %1</translation>
    </message>
    <message>
        <source>余分な引数があります: %1</source>
        <translation>unexpected argument: %1</translation>
    </message>
    <message>
        <source>不明なデバイスです: %1</source>
        <translation>unknown device: %1</translation>
    </message>
    <message>
        <source>もしかして %1?</source>
        <translation>did you mean %1?</translation>
    </message>
    <message>
        <source>不明な言語です (ja または en): %1</source>
        <translation>unknown language (ja or en): %1</translation>
    </message>
    <message>
        <source>不明な Lock/Fuse 設定です: %1</source>
        <translation>unknown lock/fuse setting: %1</translation>
    </message>
    <message>
        <source>この設定はデバイスにありません: %1</source>
        <translation>the device has no such setting: %1</translation>
    </message>
    <message>
        <source>元に戻す Lock/Fuse バイトが記録されていません: %1</source>
        <translation>the report records no lock/fuse bytes to restore: %1</translation>
    </message>
    <message>
        <source>レポートは別のデバイスのものです: %1</source>
        <translation>the report is for another device: %1</translation>
    </message>
    <message>
        <source>Lock/Fuse の変更:</source>
        <translation>lock/fuse changes:</translation>
    </message>
    <message>
        <source>Lock/Fuse の変更はありません</source>
        <translation>no lock/fuse change</translation>
    </message>
    <message>
        <source>ポートが見つかりません: %1</source>
        <translation>no such port: %1</translation>
    </message>
    <message>
        <source>ポートを開く権限がありません: %1</source>
        <translation>permission denied: %1</translation>
    </message>
    <message>
        <source>ポートは別のプログラムが使用中です: %1</source>
        <translation>the port is in use by another program: %1</translation>
    </message>
    <message>
        <source>シリアルポートではありません: %1</source>
        <translation>not a serial port: %1</translation>
    </message>
    <message>
        <source>ポートを開けません: %1</source>
        <translation>cannot open the port: %1</translation>
    </message>
    <message>
        <source>この COM 番号にはポートが割り当てられていません。</source>
        <translation>this COM number has no port assigned.</translation>
    </message>
    <message>
        <source>検出されたポート: %1</source>
        <translation>detected ports: %1</translation>
    </message>
    <message>
        <source>シリアルポートは検出されませんでした。</source>
        <translation>no serial port detected.</translation>
    </message>
    <message>
        <source>ポートは %1 グループのものです。sudo usermod -aG %1 $USER で参加し、ログインし直してください。</source>
        <translation>the port belongs to the group %1: join it with sudo usermod -aG %1 $USER, then log out and in again.</translation>
    </message>
    <message>
        <source>使用中のプログラム: %1</source>
        <translation>held by: %1</translation>
    </message>
    <message>
        <source>そのプログラムを終了してから実行し直してください。</source>
        <translation>end that program, then run the command again.</translation>
    </message>
    <message>
        <source>ライターが応答しません: %1</source>
        <translation>the writer does not answer on %1</translation>
    </message>
    <message>
        <source>ケーブルとライターの電源を確かめてください。zendra-cli ports でポートの一覧を表示できます。</source>
        <translation>check the cable and the writer&apos;s power; zendra-cli ports lists the serial ports.</translation>
    </message>
    <message>
        <source>ライターが応答しました: %1</source>
        <translation>the writer answers on %1</translation>
    </message>
    <message>
        <source>ポートは別の zendra-cli が使用中です: %1</source>
        <translation>the port is in use by another zendra-cli: %1</translation>
    </message>
    <message>
        <source>使われていないロックファイルを引き継ぎました: %1</source>
        <translation>took over a lock file that no running process holds: %1</translation>
    </message>
    <message>
        <source>ロックファイルを作成できません: %1</source>
        <translation>cannot create the lock file: %1</translation>
    </message>
    <message>
        <source>チップ待ちの間にライターとの通信が途絶えました: %1</source>
        <translation>the writer was lost while waiting for the chip: %1</translation>
    </message>
    <message>
        <source>通常のファイルではないため書き込みません: %1</source>
        <translation>not a regular file, so nothing is written to it: %1</translation>
    </message>
    <message>
        <source>フォルダーがありません: %1</source>
        <translation>no such folder: %1</translation>
    </message>
    <message>
        <source>フラッシュと EEPROM の出力先が同じファイルです: %1</source>
        <translation>the flash and the EEPROM output are the same file: %1</translation>
    </message>
    <message>
        <source>書き込むデータがありません (データレコードなし): %1</source>
        <translation>nothing to program (no data record): %1</translation>
    </message>
    <message>
        <source>警告: エンドレコードがありません: %1</source>
        <translation>warning: no end record: %1</translation>
    </message>
    <message>
        <source>ファイルを読めません: %1: %2</source>
        <translation>cannot read the file: %1: %2</translation>
    </message>
    <message>
        <source>ファイルに誤りがあります: %1: %2</source>
        <translation>the file is invalid: %1: %2</translation>
    </message>
    <message>
        <source>デバイスの容量を超えるデータがあります (バイト): %1</source>
        <translation>data beyond the device&apos;s memory (bytes): %1</translation>
    </message>
    <message>
        <source>デバイスに収まります: %1</source>
        <translation>fits the device: %1</translation>
    </message>
    <message>
        <source>--watch は program コマンドにだけ使えます (--repeat とは併用できません)</source>
        <translation>--watch goes with the program command only (not with --repeat)</translation>
    </message>
    <message>
        <source>ファイルの変更を待っています (Ctrl-C で終了): %1</source>
        <translation>waiting for the files to change (Ctrl-C ends): %1</translation>
    </message>
    <message>
        <source>ファイルが変更されました: %1</source>
        <translation>file changed: %1</translation>
    </message>
    <message>
        <source>監視を終了しました。プログラム回数: %1、最後の終了コード: %2</source>
        <translation>watch ended; program runs: %1, last exit code: %2</translation>
    </message>
    <message>
        <source>レコード</source>
        <translation>records</translation>
    </message>
    <message>
        <source>使用フラッシュ (ワード)</source>
        <translation>flash in use (words)</translation>
    </message>
    <message>
        <source>使用 EEPROM (バイト)</source>
        <translation>EEPROM in use (bytes)</translation>
    </message>
    <message>
        <source>ライターが見つかりません</source>
        <translation>no writer found</translation>
    </message>
    <message>
        <source>新しいポートでライターが応答するのを待っています (Ctrl-C で終了)...</source>
        <translation>waiting for a writer on a new port (Ctrl-C ends)...</translation>
    </message>
    <message>
        <source>デバイスの監視を使えないため、ポートの一覧を毎秒読み直します。</source>
        <translation>no device monitor: the ports are listed again every second.</translation>
    </message>
    <message>
        <source>--wait は --port なしの detect にだけ使えます</source>
        <translation>--wait goes with detect alone, without --port</translation>
    </message>
    <message>
        <source>待機を中止しました</source>
        <translation>wait cancelled</translation>
    </message>
    <message>
        <source>署名に合うデバイスがありません: %1</source>
        <translation>no device has the signature %1</translation>
    </message>
    <message>
        <source>署名に合うデバイスが複数あります。--device で選んでください: %1</source>
        <translation>several devices have this signature; choose one with --device: %1</translation>
    </message>
    <message>
        <source>署名から選んだデバイス: %1</source>
        <translation>device chosen from the signature: %1</translation>
    </message>
    <message>
        <source>ファイルのロック/ヒューズ (未書き込み): %1</source>
        <translation>the file&apos;s lock/fuse choices (not written): %1</translation>
    </message>
    <message>
        <source>どの選択肢にも合わないファイルのロック/ヒューズ: %1</source>
        <translation>lock/fuse bytes of the file that match no choice: %1</translation>
    </message>
    <message>
        <source>--write-fuses には ELF ファイルのロック/ヒューズが必要です: %1</source>
        <translation>--write-fuses needs an ELF file with lock/fuse data: %1</translation>
    </message>
    <message>
        <source>ELF ファイルには書き出せません: %1</source>
        <translation>an ELF file cannot be written: %1</translation>
    </message>
    <message>
        <source>保存しました: %1</source>
        <translation>saved: %1</translation>
    </message>
    <message>
        <source>相違</source>
        <translation>difference</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>file</translation>
    </message>
    <message>
        <source>チップ</source>
        <translation>chip</translation>
    </message>
    <message>
        <source>ファームウエア更新中は中止できません。ライターが使えなくなります。</source>
        <translation>the firmware update cannot be cancelled: the writer would be left unusable.</translation>
    </message>
    <message>
        <source>ファームウエアを更新しました</source>
        <translation>firmware updated</translation>
    </message>
    <message>
        <source>ファームウエアの更新に失敗しました</source>
        <translation>the firmware update failed</translation>
    </message>
    <message>
        <source>チップを外してください...</source>
        <translation>remove the chip...</translation>
    </message>
    <message>
        <source>次のチップを入れてください...</source>
        <translation>insert the next chip...</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>passed</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>failed</translation>
    </message>
    <message>
        <source>書き込めません: %1</source>
        <translation>cannot write: %1</translation>
    </message>
    <message>
        <source>チップ記録を開けません: %1</source>
        <translation>cannot open the chip store: %1</translation>
    </message>
    <message>
        <source>チップ記録が別のプロセスにロックされたままです: %1</source>
        <translation>the chip store stays locked by another process: %1</translation>
    </message>
    <message>
        <source>チップ記録は新しいバージョンのプログラムのものです: %1</source>
        <translation>the chip store was written by a newer program: %1</translation>
    </message>
    <message>
        <source>チップ記録に書き込めません: %1</source>
        <translation>cannot write to the chip store: %1</translation>
    </message>
    <message>
        <source>場所は eeprom:ADDR か flash:ADDR で指定してください: %1</source>
        <translation>a place is eeprom:ADDR or flash:ADDR: %1</translation>
    </message>
    <message>
        <source>不明なシリアル番号の形式です (u8, le16, be16, le32, be32, decN): %1</source>
        <translation>unknown serial format (u8, le16, be16, le32, be32, decN): %1</translation>
    </message>
    <message>
        <source>数値が正しくありません: %1</source>
        <translation>not a valid number: %1</translation>
    </message>
    <message>
        <source>--serial-at と --serial-format を指定してください: %1</source>
        <translation>give --serial-at and --serial-format with %1</translation>
    </message>
    <message>
        <source>このコマンドでは使えません: %1</source>
        <translation>not for this command: %1</translation>
    </message>
    <message>
        <source>デバイスのメモリーの外です: %1</source>
        <translation>beyond the device&apos;s memory: %1</translation>
    </message>
    <message>
        <source>シリアル番号と校正バイトの場所が重なっています</source>
        <translation>the serial number and the calibration byte overlap</translation>
    </message>
    <message>
        <source>このデバイスには校正バイトがありません: %1</source>
        <translation>the device has no calibration byte: %1</translation>
    </message>
    <message>
        <source>シリーズがありません。--serial-start で作成してください: %1</source>
        <translation>no such series; create it with --serial-start: %1</translation>
    </message>
    <message>
        <source>シリーズ %1 は別の開始値または増分で作成されています。次の番号: %2</source>
        <translation>the series %1 was created with another start or step; its next number: %2</translation>
    </message>
    <message>
        <source>シリーズの次の番号が形式に収まりません: %1</source>
        <translation>the series&apos; next number does not fit the format: %1</translation>
    </message>
    <message>
        <source>シリアル番号</source>
        <translation>serial number</translation>
    </message>
    <message>
        <source>校正バイト</source>
        <translation>calibration byte</translation>
    </message>
    <message>
        <source>チップごとに書き込む場所は比較しません: %1</source>
        <translation>the cells each chip gets its own value in are not compared: %1</translation>
    </message>
    <message>
        <source>セットアップファイルではありません: %1</source>
        <translation>not a setup file: %1</translation>
    </message>
    <message>
        <source>新しいバージョンのプログラムのセットアップファイルです (format %1): %2</source>
        <translation>the setup file was written by a newer program (format %1): %2</translation>
    </message>
    <message>
        <source>セットアップの保存後に変更されたファイルです (--accept-changed-files でそのまま使えます): %1</source>
        <translation>the file changed since the setup was saved (--accept-changed-files uses it as it is): %1</translation>
    </message>
    <message>
        <source>変更されたファイルをそのまま使います: %1</source>
        <translation>using the changed file as it is: %1</translation>
    </message>
    <message>
        <source>--fuse には --device が必要です</source>
        <translation>--fuse needs --device</translation>
    </message>
    <message>
        <source>診断 (%1): %2</source>
        <translation>diagnosis (%1): %2</translation>
    </message>
    <message>
        <source>history --stats でのみ使えます: %1</source>
        <translation>only with history --stats: %1</translation>
    </message>
    <message>
        <source>日時が正しくありません (ISO 8601): %1</source>
        <translation>not a time (ISO 8601): %1</translation>
    </message>
    <message>
        <source>集計の単位が正しくありません (day, port, bench, file): %1</source>
        <translation>not a grouping (day, port, bench, file): %1</translation>
    </message>
    <message>
        <source>日付</source>
        <translation>day</translation>
    </message>
    <message>
        <source>ポート</source>
        <translation>port</translation>
    </message>
    <message>
        <source>ベンチ</source>
        <translation>bench</translation>
    </message>
    <message>
        <source>全体</source>
        <translation>all</translation>
    </message>
    <message>
        <source>合計</source>
        <translation>total</translation>
    </message>
    <message>
        <source>初回合格率</source>
        <translation>first-pass yield</translation>
    </message>
    <message>
        <source>不合格の内訳</source>
        <translation>failures</translation>
    </message>
    <message>
        <source>レポートの値が正しくありません (%1): %2</source>
        <translation>a value of the report is not valid (%1): %2</translation>
    </message>
    <message>
        <source>標準出力に書き込めませんでした。出力は失われています: %1</source>
        <translation>standard output could not be written; what was printed is lost: %1</translation>
    </message>
    <message>
        <source>チップ記録がありません: %1</source>
        <translation>no chip store at %1</translation>
    </message>
    <message>
        <source>パスワードを含む URL は保存しません。パスワードは ~/.pgpass (または PGPASSFILE、PGPASSWORD、PGSERVICE のサービスファイル) に置いてください: %1</source>
        <translation>a URL with a password is not stored: put the password in ~/.pgpass (or PGPASSFILE, PGPASSWORD, a service file through PGSERVICE): %1</translation>
    </message>
    <message>
        <source>セットアップファイルの値の型か範囲が正しくありません: %1 (%2)</source>
        <translation>a value of the setup file has the wrong type or is out of range: %1 (%2)</translation>
    </message>
    <message>
        <source>標準出力に書き込めなくなりました: イベントの一部が失われました</source>
        <translation>Standard output could not be written: some events were lost</translation>
    </message>
    <message>
        <source>--json では標準出力はイベント専用です: --report - は使えません</source>
        <translation>with --json, standard output is the event stream&apos;s alone: --report - cannot be used</translation>
    </message>
    <message>
        <source>ライターは作業中です: %1</source>
        <translation>the writer is still at work: %1</translation>
    </message>
    <message>
        <source>不明な指示です: %1</source>
        <translation>unknown command on the trigger channel: %1</translation>
    </message>
    <message>
        <source>チップ記録が%1秒以内に応答しませんでした</source>
        <translation>the chip store did not answer within %1 s</translation>
    </message>
    <message>
        <source>チップ記録が使えないため、連続書き込みを終了します: %1</source>
        <translation>the chip store cannot be used, the production loop ends: %1</translation>
    </message>
    <message>
        <source>--trigger は --repeat と共に使います (--trigger stdin)</source>
        <translation>--trigger goes with --repeat (--trigger stdin)</translation>
    </message>
    <message>
        <source>--serial-keep と --serial-keep-strict は一緒に使えません</source>
        <translation>--serial-keep and --serial-keep-strict cannot be used together</translation>
    </message>
    <message>
        <source>リストやプログラムのシリーズには --serial-start と --serial-step は使えません</source>
        <translation>a list&apos;s or a program&apos;s series takes no --serial-start or --serial-step</translation>
    </message>
    <message>
        <source>--serial-list と --serial-command は同時に使えません</source>
        <translation>--serial-list and --serial-command cannot be given together</translation>
    </message>
    <message>
        <source>--serial-command の値はそのまま書き込むため、--serial-format は使えません</source>
        <translation>--serial-command&apos;s bytes are stamped as printed: no --serial-format</translation>
    </message>
    <message>
        <source>シリアル値</source>
        <translation>serial value</translation>
    </message>
    <message>
        <source>リストの行</source>
        <translation>list line</translation>
    </message>
    <message>
        <source>このセットアップはチップごとに次のプログラムを実行します: %1</source>
        <translation>This setup runs this program for every chip: %1</translation>
    </message>
    <message>
        <source>実行してよろしいですか？ [y/N] </source>
        <translation>Run it? [y/N] </translation>
    </message>
    <message>
        <source>プログラムの実行が承認されていません。確認して --yes を付けてください: %1</source>
        <translation>the program was not allowed to run; check it and give --yes: %1</translation>
    </message>
    <message>
        <source>--serial-keep と --serial-reuse-failed は、番号を数えるシリーズにだけ使えます（リストやプログラムは不可）</source>
        <translation>--serial-keep and --serial-reuse-failed are for a counting series only, not a list or a program</translation>
    </message>
    <message>
        <source>監視中のファイルがなくなりました: %1</source>
        <translation>watched file gone: %1</translation>
    </message>
    <message>
        <source>監視中のファイルが戻りました: %1</source>
        <translation>watched file back: %1</translation>
    </message>
</context>
<context>
    <name>zendra</name>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : AVR Extend command A</source>
        <translation>Communication failed : AVR Extend command A</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Enter programming Mode P</source>
        <translation>Communication failed : Enter programming Mode P</translation>
    </message>
    <message>
        <source>返答ﾃﾞｰﾀﾐｽ : Enter programming Mode P </source>
        <translation>Wrong reply data : Enter programming Mode P </translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Leave programming Mode L</source>
        <translation>Communication failed : Leave programming Mode L</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Signature bytes s</source>
        <translation>Communication failed : Read Signature bytes s</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Chip Erase e</source>
        <translation>Communication failed : Chip Erase e</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞ送信 : Avr Extend command A</source>
        <translation>Sending command : Avr Extend command A</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T</source>
        <translation>Communication failed : Select device command T</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T <byte value="xd"/>
プログラマは、選択したマイコンを認識できませんでした。</source>
        <translation>Communication failed : Select device command T <byte value="xd"/>
The programmer did not recognise the selected microcontroller.</translation>
    </message>
    <message>
        <source>デバイスがソケットに正しくセットされていないか、プロテクトされています。プロテクトのときは、チップイレース([イレース]ボタン)を押してください。</source>
        <translation>The device is not seated correctly in the socket, or it is protected. If it is protected, run a chip erase (the [Erase] button).</translation>
    </message>
    <message>
        <source>デバイスがソケットに正しくセットされていません。</source>
        <translation>The device is not seated correctly in the socket.</translation>
    </message>
    <message>
        <source>デバイス選択と、ソケット上のデバイスが一致しません。<byte value="xd"/>
購入直後のデバイスを使用する場合は、チップイレース(&lt;イレース&gt;ボタン)を実行してください。</source>
        <translation>The selected device does not match the device in the socket.<byte value="xd"/>
If the device is brand new, run a chip erase (the &lt;Erase&gt; button) first.</translation>
    </message>
    <message>
        <source>ソケット上のデバイス: </source>
        <translation>Device in the socket: </translation>
    </message>
    <message>
        <source>不明な署名: </source>
        <translation>Unknown signature: </translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Address Select A</source>
        <translation>Communication failed : Address Select A</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Low byte Write Program Memory c</source>
        <translation>Communication failed : Low byte Write Program Memory c</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Low byte Write Data Memory c</source>
        <translation>Communication failed : Low byte Write Data Memory c</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Hi byte Write Program Memory C</source>
        <translation>Communication failed : Hi byte Write Program Memory C</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Hi byte Write Data Memory C</source>
        <translation>Communication failed : Hi byte Write Data Memory C</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Program Memory Tiny26 W</source>
        <translation>Communication failed : Write Program Memory Tiny26 W</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Data Memory Tiny26</source>
        <translation>Communication failed : Write Data Memory Tiny26</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Program Memory R</source>
        <translation>Communication failed : Read Program Memory R</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Data Memory d</source>
        <translation>Communication failed : Read Data Memory d</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Data Memory D</source>
        <translation>Communication failed : Write Data Memory D</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit f</source>
        <translation>Communication failed : Write Fuse bit f</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit u</source>
        <translation>Communication failed : Write Fuse bit u</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse Hi bit ;</source>
        <translation>Communication failed : Write Fuse Hi bit ;</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l</source>
        <translation>Communication failed : Write Lock bit l</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit Tiny26 ;</source>
        <translation>Communication failed : Write Lock bit Tiny26 ;</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit Tiny26</source>
        <translation>Communication failed : Write Lock bit Tiny26</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Lock &amp; Fuse bit F</source>
        <translation>Communication failed : Read Lock &amp; Fuse bit F</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Fuse bit r</source>
        <translation>Communication failed : Read Fuse bit r</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Fuse Hi bit :</source>
        <translation>Communication failed : Read Fuse Hi bit :</translation>
    </message>
    <message>
        <source>ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Calibration Byte o</source>
        <translation>Communication failed : Read Calibration Byte o</translation>
    </message>
    <message>
        <source>ライタと通信中！</source>
        <translation>Communicating with the writer!</translation>
    </message>
    <message>
        <source>ＺｅｎｄｒａＯＫ ！！</source>
        <translation>Zendra OK !!</translation>
    </message>
    <message>
        <source>ライタと通信ができませんでした。<byte value="xd"/>
PCとライタの接続を確認後、メニューバーの<byte value="xd"/>
[通信チェック] [COMポート選択]を実行して下さい。<byte value="xd"/>
</source>
        <translation>Could not communicate with the writer.<byte value="xd"/>
Check the connection between the PC and the writer, then run<byte value="xd"/>
[Communication check] and [Select COM port] from the menu bar.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>ライタと通信ができませんでした。(レジストリリード)</source>
        <translation>Could not communicate with the writer. (settings read)</translation>
    </message>
    <message>
        <source>ライターを検出できませんでした。使用可能な通信ポートを設定してください。</source>
        <translation>No writer was detected. Please set a communication port that can be used.</translation>
    </message>
    <message>
        <source>ファームウエアバージョン６．３０以降にアップデートしてください。<byte value="xd"/>
このソフトは使用できません。</source>
        <translation>Please update the firmware to version 6.30 or later.<byte value="xd"/>
This software cannot be used with the current firmware.</translation>
    </message>
    <message>
        <source>ファームウエアバージョンを読み出せませんでした。</source>
        <translation>Could not read the firmware version.</translation>
    </message>
    <message>
        <source>通信エラーが発生しました。</source>
        <translation>A communication error occurred.</translation>
    </message>
    <message>
        <source>ファームウエアバージョンが古いのでアップデートを行なってください。&#x3000;&#x3000;&#x3000;&#x3000;</source>
        <translation>The firmware version is old; please update the firmware.</translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <translation> </translation>
    </message>
    <message>
        <source>新しいファームウエアは、ご購入されたキットに添付されていたＣＤ－ＲＯＭ内、&#x3000;&#x3000;&#x3000;&#x3000;</source>
        <translation>The new firmware is on the CD-ROM that came with the kit you purchased,</translation>
    </message>
    <message>
        <source>（現在使用中のファームウエアバージョンは、メイン画面の右下に表示されます。）</source>
        <translation>(The firmware version in use is shown at the bottom right of the main window.)</translation>
    </message>
    <message>
        <source>操作を中止しました。</source>
        <translation>Cancelled.</translation>
    </message>
    <message>
        <source>未接続</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>応答待ち時間 (latency_timer) %1 ms</source>
        <translation>latency timer %1 ms</translation>
    </message>
    <message>
        <source>USB シリアル変換器の応答待ち時間 (latency_timer) が長すぎます: </source>
        <translation>The USB serial adapter holds replies back too long (latency_timer): </translation>
    </message>
    <message>
        <source>現在 %1 ms です。ライターの返事のたびにこの時間を待つため、書き込みと照合が大幅に遅くなります（AT90S8515 全体で約 10 秒のところが数分）。</source>
        <translation>It is %1 ms now. Every reply of the writer waits this long, so programming and verifying become much slower (minutes instead of about 10 seconds for a whole AT90S8515).</translation>
    </message>
    <message>
        <source>接続のたびに 1 ms にする udev 規則（zendra パッケージに含まれます）: </source>
        <translation>The udev rule that sets it to 1 ms whenever the adapter is plugged in (in the zendra package): </translation>
    </message>
    <message>
        <source>規則を入れた後、いま接続している変換器には次のコマンドで適用されます: </source>
        <translation>With the rule in place, this command applies it to the adapters plugged in now: </translation>
    </message>
    <message>
        <source>接続先: </source>
        <translation>Device: </translation>
    </message>
    <message>
        <source>割り当て</source>
        <translation>Assign</translation>
    </message>
    <message>
        <source>選んだCOM番号に、このデバイス（検出されたポート、または入力したパス）を割り当てます。空にすると割り当てを解除します。</source>
        <translation>Assigns this device (a detected port or a path you typed) to the chosen COM number. Leave it empty to remove the assignment.</translation>
    </message>
    <message>
        <source>フラッシュプログラムメモリ プログラム中.....</source>
        <translation>Programming flash program memory.....</translation>
    </message>
    <message>
        <source>ＥＥＰＲＯＭデータメモリ プログラム中.....</source>
        <translation>Programming EEPROM data memory.....</translation>
    </message>
    <message>
        <source>全てのメモリは消去されました。</source>
        <translation>All memory is blank.</translation>
    </message>
    <message>
        <source>プログラミングを中止しました。</source>
        <translation>Programming cancelled.</translation>
    </message>
    <message>
        <source>フラッシュプログラムメモリ プログラム失敗</source>
        <translation>Flash program memory: programming failed</translation>
    </message>
    <message>
        <source>ＥＥＰＲＯＭデータメモリ プログラム失敗</source>
        <translation>EEPROM data memory: programming failed</translation>
    </message>
    <message>
        <source>フラッシュメモリ ベリファイ中.....</source>
        <translation>Verifying flash memory.....</translation>
    </message>
    <message>
        <source>ＥＥＰＲＯＭデータメモリ ベリファイ中.....</source>
        <translation>Verifying EEPROM data memory.....</translation>
    </message>
    <message>
        <source>ベリファイを中止しました。</source>
        <translation>Verify cancelled.</translation>
    </message>
    <message>
        <source>フラッシュメモリ ベリファイ失敗</source>
        <translation>Flash memory: verify failed</translation>
    </message>
    <message>
        <source>ベリファイ&#x3000;通信エラー</source>
        <translation>Verify: communication error</translation>
    </message>
    <message>
        <source>ベリファイ&#x3000;FLASH : OK / EEPROM : OK</source>
        <translation>Verify FLASH : OK / EEPROM : OK</translation>
    </message>
    <message>
        <source>ベリファイ&#x3000;FLASH : OK / EEPROM : OK &#x3000;プログラミング正常終了。</source>
        <translation>Verify FLASH : OK / EEPROM : OK  Programming completed.</translation>
    </message>
    <message>
        <source>ベリファイ&#x3000;FLASH : NG / EEPROM : NG</source>
        <translation>Verify FLASH : NG / EEPROM : NG</translation>
    </message>
    <message>
        <source>ベリファイ&#x3000;FLASH : NG / EEPROM : OK</source>
        <translation>Verify FLASH : NG / EEPROM : OK</translation>
    </message>
    <message>
        <source>ベリファイ&#x3000;FLASH : OK / EEPROM : NG</source>
        <translation>Verify FLASH : OK / EEPROM : NG</translation>
    </message>
    <message>
        <source>フラッシュプログラムメモリ&#x3000;読出し中.....</source>
        <translation>Reading flash program memory.....</translation>
    </message>
    <message>
        <source>ＥＥＰＲＯＭデータメモリ 読出し中.....</source>
        <translation>Reading EEPROM data memory.....</translation>
    </message>
    <message>
        <source>リードを中止しました。</source>
        <translation>Read cancelled.</translation>
    </message>
    <message>
        <source>フラッシュプログラムメモリ 読出し失敗</source>
        <translation>Flash program memory: read failed</translation>
    </message>
    <message>
        <source>ＥＥＰＲＯＭデータメモリ 読出し失敗</source>
        <translation>EEPROM data memory: read failed</translation>
    </message>
    <message>
        <source>チップ イレース中.....</source>
        <translation>Erasing the chip.....</translation>
    </message>
    <message>
        <source>チップ イレース失敗</source>
        <translation>Chip erase failed</translation>
    </message>
    <message>
        <source>プログラム・データメモリ、Ｆｕｓｅ・Ｌｏｃｋビットのリード終了しました。</source>
        <translation>Program memory, data memory and fuse/lock bits read completed.</translation>
    </message>
    <message>
        <source>ベリファイ終了しました。</source>
        <translation>Verify completed.</translation>
    </message>
    <message>
        <source>チップ イレース完了。</source>
        <translation>Chip erase completed.</translation>
    </message>
    <message>
        <source>秒</source>
        <translation> sec</translation>
    </message>
    <message>
        <source>ＰＢ５またはＰＢ７リセット機能の無効「PB5:I/O」または「PB7:I/O」を選択しライトした場合、そのデバイスは、このプログラマ(Low-voltage Serial Programming mode)ではアクセスできなくなります。ＯＴＰデバイスと同じ扱いとなりますので注意してください。</source>
        <translation>If you select &quot;PB5:I/O&quot; or &quot;PB7:I/O&quot; (the PB5 or PB7 reset function disabled) and write it, this programmer (Low-voltage Serial Programming mode) can no longer access the device. It is then treated like an OTP device, so take care.</translation>
    </message>
    <message>
        <source>Ｌｏｃｋ/Ｆｕｓｅビット 読出し中.....</source>
        <translation>Reading Lock/Fuse bits.....</translation>
    </message>
    <message>
        <source>Lock/Fuse bit ライト中....</source>
        <translation>Writing Lock/Fuse bits....</translation>
    </message>
    <message>
        <source>設定デバイスと、ソケット上のデバイスがミスマッチです。</source>
        <translation>The selected device and the device in the socket do not match.</translation>
    </message>
    <message>
        <source>Lock/Fuse bit リードに失敗しました。</source>
        <translation>Lock/Fuse bit read failed.</translation>
    </message>
    <message>
        <source>Lock/Fuse bit リードが完了しました。</source>
        <translation>Lock/Fuse bit read completed.</translation>
    </message>
    <message>
        <source>Lock/Fuse bit ライトに失敗しました。</source>
        <translation>Lock/Fuse bit write failed.</translation>
    </message>
    <message>
        <source>Lock/Fuse bit ライトが完了しました。</source>
        <translation>Lock/Fuse bit write completed.</translation>
    </message>
    <message>
        <source>HEX ファイルのオープンエラー</source>
        <translation>HEX file open error</translation>
    </message>
    <message>
        <source>EEP  ファイルのオープンエラー</source>
        <translation>EEP file open error</translation>
    </message>
    <message>
        <source> (行 %1)</source>
        <translation> (line %1)</translation>
    </message>
    <message>
        <source>HEX ファイルにはデバイスの Flash 容量を超えるデータが %1 バイトあります。</source>
        <translation>The HEX file holds %1 bytes of data beyond the device&apos;s flash size.</translation>
    </message>
    <message>
        <source>EEP ファイルにはデバイスの EEPROM 容量を超えるデータが %1 バイトあります。</source>
        <translation>The EEP file holds %1 bytes of data beyond the device&apos;s EEPROM size.</translation>
    </message>
    <message>
        <source>ファイル保存</source>
        <translation>Save file</translation>
    </message>
    <message>
        <source>リードオンリーファイルにアクセスしました。</source>
        <translation>The file is read-only.</translation>
    </message>
    <message>
        <source>ファイル保存できませんでした。</source>
        <translation>The file could not be saved.</translation>
    </message>
    <message>
        <source>入力データに誤りがあります．</source>
        <translation>The input data is wrong.</translation>
    </message>
    <message>
        <source>Flash アドレスが範囲を超えています．</source>
        <translation>The flash address is out of range.</translation>
    </message>
    <message>
        <source>EEPROM アドレスが範囲を超えています．</source>
        <translation>The EEPROM address is out of range.</translation>
    </message>
    <message>
        <source>コードファイル ＆ データファイルを開く</source>
        <translation>Open code file &amp; data file</translation>
    </message>
    <message>
        <source>コードファイル(*.hex)を開く</source>
        <translation>Open code file (*.hex)</translation>
    </message>
    <message>
        <source>データファイル(*.eep)を開く</source>
        <translation>Open data file (*.eep)</translation>
    </message>
    <message>
        <source>コードファイル ＆ データファイルの保存</source>
        <translation>Save code file &amp; data file</translation>
    </message>
    <message>
        <source>コードファイル(*.hex)の保存</source>
        <translation>Save code file (*.hex)</translation>
    </message>
    <message>
        <source>データファイル(*.eep)の保存</source>
        <translation>Save data file (*.eep)</translation>
    </message>
    <message>
        <source>指定されたファイルを開くことができませんでした。</source>
        <translation>The specified file could not be opened.</translation>
    </message>
    <message>
        <source>再ロードするファイル名 ： </source>
        <translation>File to reload : </translation>
    </message>
    <message>
        <source>再ロードするファイルが未指定です。 一度、メニューバーのファイルからＨＥＸファイルを開くと自動的にファイル名が指定されます。</source>
        <translation>No file to reload has been set. Once you open a HEX file from File on the menu bar, its name is set automatically.</translation>
    </message>
    <message>
        <source>ファイルをオープンしました。</source>
        <translation>File opened.</translation>
    </message>
    <message>
        <source>ファイルを保存しました．</source>
        <translation>File saved.</translation>
    </message>
    <message>
        <source>ファイルがオープンされていません．</source>
        <translation>No file is open.</translation>
    </message>
    <message>
        <source>ファイルがオープンされていません</source>
        <translation>No file is open</translation>
    </message>
    <message>
        <source>ファイルが存在します。上書きしますか？</source>
        <translation>The file exists. Overwrite it?</translation>
    </message>
    <message>
        <source>ファームウエアアップデート</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>通信ポート Com&#x3000;：</source>
        <translation>Communication port Com :</translation>
    </message>
    <message>
        <source>通信スピード bps&#x3000;：</source>
        <translation>Communication speed bps :</translation>
    </message>
    <message>
        <source>新しいファームウエアファイル(*.hex)を設定します。</source>
        <translation>Sets the new firmware file (*.hex).</translation>
    </message>
    <message>
        <source>ファームウエアの更新を実行します。</source>
        <translation>Runs the firmware update.</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>１．通信ポートを指定してください。<byte value="xd"/>
２．[Version Read]ボタンを押して、バージョンが表示されると通信確認完了です。<byte value="xd"/>
３．[OPEN]ボタンを押して、アップデートファイルを指定してください。 [kxfwxxx.hex]<byte value="xd"/>
４．[UPDATE]ボタンを押してください。ファイルのアップデータが開始されます。</source>
        <translation>1. Select the communication port.<byte value="xd"/>
2. Press the [Version Read] button; when the version is shown, communication is confirmed.<byte value="xd"/>
3. Press the [OPEN] button and choose the update file. [kxfwxxx.hex]<byte value="xd"/>
4. Press the [UPDATE] button. The update of the file starts.</translation>
    </message>
    <message>
        <source>ポート番号を設定してください。</source>
        <translation>Please set the port number.</translation>
    </message>
    <message>
        <source>通信ポートをオープンできませんでした。</source>
        <translation>Could not open the communication port.</translation>
    </message>
    <message>
        <source>&#x3000;&#x3000;***&#x3000;ファームウエアアップデート&#x3000;コミュニケーション失敗。&#x3000;***&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;<byte value="xd"/>
&#x3000;</source>
        <translation>  ***  Firmware update  communication failed.  ***<byte value="xd"/>
 </translation>
    </message>
    <message>
        <source>ファームウエアバージョンをリードしました。</source>
        <translation>Firmware version read.</translation>
    </message>
    <message>
        <source>アップデータを開く</source>
        <translation>Open update file</translation>
    </message>
    <message>
        <source>アップデータファイル (*.HEX *.hex);;全てのファイル (*)</source>
        <translation>Update files (*.HEX *.hex);;All files (*)</translation>
    </message>
    <message>
        <source>アップデートファイルがロードされていません。</source>
        <translation>No update file is loaded.</translation>
    </message>
    <message>
        <source>アップデート中です。電源は絶対に切らないでください。</source>
        <translation>Updating. Never switch the power off.</translation>
    </message>
    <message>
        <source>&#x3000;&#x3000;&#x3000; ファームウエアアップデートが完了しました。  電源を再投入してください。  &#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;<byte value="xd"/>
&#x3000;</source>
        <translation>   Firmware update completed.  Please switch the power off and on again.<byte value="xd"/>
 </translation>
    </message>
    <message>
        <source>***&#x3000;アップデート失敗&#x3000;***</source>
        <translation>*** Update failed ***</translation>
    </message>
    <message>
        <source>&#x3000;&#x3000;&#x3000;***&#x3000;アップデート失敗&#x3000;***&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;<byte value="xd"/>
&#x3000;</source>
        <translation>   *** Update failed ***<byte value="xd"/>
 </translation>
    </message>
    <message>
        <source>途中でファームウエアアップデートが失敗しました。</source>
        <translation>The firmware update failed part-way.</translation>
    </message>
    <message>
        <source>アップデートが正常に終了できなかったので、アップデート作業を再開できない確立が高いです。このような場合は、通常の書き込みを行なう必要があります。</source>
        <translation>Because the update did not finish normally, it is very likely that it cannot be resumed. In that case the firmware chip has to be programmed the normal way.</translation>
    </message>
    <message>
        <source>&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;error data = 0x</source>
        <translation>       error data = 0x</translation>
    </message>
    <message>
        <source>ファイルを読み込めません。</source>
        <translation>The file cannot be read.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>書き込むデータがありません。</source>
        <translation>There is no data to write.</translation>
    </message>
    <message>
        <source>レコードの形式ではありません。</source>
        <translation>The line is not a record.</translation>
    </message>
    <message>
        <source>16進数でない文字があります。</source>
        <translation>There is a character that is not a hexadecimal digit.</translation>
    </message>
    <message>
        <source>チェックサムが一致しません。</source>
        <translation>The checksum does not match.</translation>
    </message>
    <message>
        <source>バイト数と行の長さが一致しません。</source>
        <translation>The byte count does not match the length of the line.</translation>
    </message>
    <message>
        <source>データのバイト数が奇数です。</source>
        <translation>The number of data bytes is odd.</translation>
    </message>
    <message>
        <source>アドレスが奇数です。</source>
        <translation>The address is odd.</translation>
    </message>
    <message>
        <source>%1行目：</source>
        <translation>Line %1: </translation>
    </message>
    <message>
        <source>AT90S1200 (外部ｸﾛｯｸ)</source>
        <translation>AT90S1200 (external clock)</translation>
    </message>
    <message>
        <source>AT90S1200A(内部RCｸﾛｯｸ1MHz)</source>
        <translation>AT90S1200A (internal RC clock 1MHz)</translation>
    </message>
    <message>
        <source>書込み &amp; ベリファイ 禁止</source>
        <translation>Write &amp; verify disabled</translation>
    </message>
    <message>
        <source>書込み禁止</source>
        <translation>Write disabled</translation>
    </message>
    <message>
        <source>プロテクトなし</source>
        <translation>No protection</translation>
    </message>
    <message>
        <source>システムの理由: %1</source>
        <translation>System reason: %1</translation>
    </message>
    <message>
        <source>そのデバイスはありません。接続と設定したパスを確かめてください。</source>
        <translation>There is no such device. Check the connection and the path you set.</translation>
    </message>
    <message>
        <source>このポートを開く権限がありません。シリアルポートは dialout グループのユーザーが使えます。sudo usermod -aG dialout $USER で参加し、ログインし直してください。</source>
        <translation>You may not open this port. Serial ports are open to the members of the dialout group: join it with sudo usermod -aG dialout $USER, then log in again.</translation>
    </message>
    <message>
        <source>このポートは別のプログラムが使用中です。そのプログラムを終了してください。</source>
        <translation>Another program is using this port. Close that program.</translation>
    </message>
    <message>
        <source>ファイルがありません。</source>
        <translation>The file does not exist.</translation>
    </message>
    <message>
        <source>通常のファイルではありません (フォルダ、デバイス、FIFO など)。</source>
        <translation>This is not a regular file (a folder, a device, a FIFO or the like).</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます (上限 4 MiB)。</source>
        <translation>The file is too large (at most 4 MiB).</translation>
    </message>
    <message>
        <source>行が &quot;:&quot; で始まっていません。</source>
        <translation>The line does not start with &quot;:&quot;.</translation>
    </message>
    <message>
        <source>レコードの長さがバイト数と一致しません。</source>
        <translation>The record&apos;s length does not match its byte count.</translation>
    </message>
    <message>
        <source>アドレスがメモリの範囲を超えています。</source>
        <translation>The address lies beyond the memory.</translation>
    </message>
    <message>
        <source>0 でない拡張アドレスには対応していません。</source>
        <translation>Extended addresses other than 0 are not supported.</translation>
    </message>
    <message>
        <source>ELF ファイルが途中で切れているか、壊れています。</source>
        <translation>The ELF file is cut short or damaged.</translation>
    </message>
    <message>
        <source>AVR 用の 32 ビット リトルエンディアンの ELF 実行ファイルではありません。</source>
        <translation>This is not a 32-bit little-endian ELF executable for the AVR.</translation>
    </message>
    <message>
        <source>ファイルの設定 (未書き込み): </source>
        <translation>From the file (not written): </translation>
    </message>
    <message>
        <source>どの選択肢にも合わないファイルのロック/ヒューズ: </source>
        <translation>Lock/fuse bytes of the file that match no choice: </translation>
    </message>
    <message>
        <source>ELF ファイルには保存できません。.hex、.bin または .srec の名前を選んでください。</source>
        <translation>An ELF file cannot be saved. Choose a name ending in .hex, .bin or .srec.</translation>
    </message>
    <message>
        <source>ELF ファイルのセグメントが重なっています。</source>
        <translation>Segments of the ELF file overlap.</translation>
    </message>
    <message>
        <source>行が &quot;S&quot; で始まっていません。</source>
        <translation>A line does not start with &quot;S&quot;.</translation>
    </message>
    <message>
        <source>対応していない種類の S レコードです。</source>
        <translation>This kind of S-record is not supported.</translation>
    </message>
    <message>
        <source>設定ウインドウ</source>
        <translation>Settings window</translation>
    </message>
    <message>
        <source>開く(&amp;O)</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>再ロード(&amp;L)</source>
        <translation>Re&amp;load</translation>
    </message>
    <message>
        <source>HEXファイルの再ロード</source>
        <translation>Reload HEX file</translation>
    </message>
    <message>
        <source>通信(&amp;C)</source>
        <translation>&amp;COM port</translation>
    </message>
    <message>
        <source>イレース(&amp;E)</source>
        <translation>&amp;Erase</translation>
    </message>
    <message>
        <source>ﾍﾞﾘﾌｧｲ(&amp;V)</source>
        <translation>&amp;Verify</translation>
    </message>
    <message>
        <source>リード(&amp;R)</source>
        <translation>&amp;Read</translation>
    </message>
    <message>
        <source>ﾌﾟﾛｸﾞﾗﾑ(&amp;P)</source>
        <translation>&amp;Program</translation>
    </message>
    <message>
        <source>デバイス選択</source>
        <translation>Device selection</translation>
    </message>
    <message>
        <source>PGMﾒﾓﾘ   :--- word</source>
        <translation>PGM memory   :--- word</translation>
    </message>
    <message>
        <source>EEPROMﾒﾓﾘ:--- byte</source>
        <translation>EEPROM memory:--- byte</translation>
    </message>
    <message>
        <source>PCバッファメモリ修正</source>
        <translation>Edit PC buffer memory</translation>
    </message>
    <message>
        <source>アドレス:        (Hex)</source>
        <translation>Address:        (Hex)</translation>
    </message>
    <message>
        <source>デ ー タ:        (Hex)</source>
        <translation>Data   :        (Hex)</translation>
    </message>
    <message>
        <source>PCﾊﾞｯﾌｧリード</source>
        <translation>Read PC buffer</translation>
    </message>
    <message>
        <source>PCﾊﾞｯﾌｧライト</source>
        <translation>Write PC buffer</translation>
    </message>
    <message>
        <source>ﾊﾞｯﾌｧ修正のみ。ﾃﾞﾊﾞｲｽには書込みません。</source>
        <translation>Edits the buffer only. Nothing is written to the device.</translation>
    </message>
    <message>
        <source>Lock/Fuse ビット ＆ Calib.データ</source>
        <translation>Lock/Fuse bits and Calib. data</translation>
    </message>
    <message>
        <source>キャリブレーションリードデータ&#x3000;表示のみ</source>
        <translation>Calibration data as read from the chip (display only)</translation>
    </message>
    <message>
        <source>Lock＆Fuseリード</source>
        <translation>Read Lock/Fuse</translation>
    </message>
    <message>
        <source>Lock＆Fuseライト</source>
        <translation>Write Lock/Fuse</translation>
    </message>
    <message>
        <source>メッセージ</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>通信ポート</source>
        <translation>Communication port</translation>
    </message>
    <message>
        <source>処理時間</source>
        <translation>Processing time</translation>
    </message>
    <message>
        <source>バッファーをクリアしました。</source>
        <translation>Buffer cleared.</translation>
    </message>
    <message>
        <source>処理の終了を待っています。</source>
        <translation>Waiting for the operation to finish.</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>残り約 %1 秒</source>
        <translation>about %1 sec left</translation>
    </message>
    <message>
        <source>残り約 %1 分 %2 秒</source>
        <translation>about %1 min %2 sec left</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>コード/データファイルを開く(&amp;O)</source>
        <translation>&amp;Open code/data file</translation>
    </message>
    <message>
        <source>コードファイルを開く</source>
        <translation>Open code file</translation>
    </message>
    <message>
        <source>データファイルを開く</source>
        <translation>Open data file</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>コード/データファイルを別名で保存(&amp;A)</source>
        <translation>Save code/data file &amp;as</translation>
    </message>
    <message>
        <source>コードファイルを別名で保存</source>
        <translation>Save code file as</translation>
    </message>
    <message>
        <source>データファイルを別名で保存</source>
        <translation>Save data file as</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>オプション(&amp;T)</source>
        <translation>Op&amp;tions</translation>
    </message>
    <message>
        <source>COMポート選択(&amp;C)</source>
        <translation>Select &amp;COM port</translation>
    </message>
    <message>
        <source>PCバッファのクリア(%T)</source>
        <translation>Clear PC buffer(%T)</translation>
    </message>
    <message>
        <source>言語(Language)</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>ウインドウ(&amp;W)</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>デバイスインデックスウインドウを開く</source>
        <translation>Open device index window</translation>
    </message>
    <message>
        <source>ウインドウの再整列</source>
        <translation>Rearrange windows</translation>
    </message>
    <message>
        <source>設定ウインドウを開く</source>
        <translation>Open settings window</translation>
    </message>
    <message>
        <source>プログラムメモリウインドウを開く</source>
        <translation>Open program memory window</translation>
    </message>
    <message>
        <source>EEPROMデータメモリウインドウを開く</source>
        <translation>Open EEPROM data memory window</translation>
    </message>
    <message>
        <source>重ねて表示(&amp;C)</source>
        <translation>&amp;Cascade</translation>
    </message>
    <message>
        <source>上下に並べて表示(&amp;H)</source>
        <translation>Tile &amp;horizontally</translation>
    </message>
    <message>
        <source>左右に並べて表示(&amp;V)</source>
        <translation>Tile &amp;vertically</translation>
    </message>
    <message>
        <source>アイコンの整列(&amp;A)</source>
        <translation>&amp;Arrange icons</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>デバイスの挿入位置について(&amp;8)</source>
        <translation>&amp;Device insertion position</translation>
    </message>
    <message>
        <source>ファームウエアのアップデート</source>
        <translation>Update firmware</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>【HEXファイルの再ロード】</source>
        <translation>[Reload HEX file]</translation>
    </message>
    <message>
        <source>ﾌﾟﾛｸﾞﾗﾑ</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>ﾍﾞﾘﾌｧｲ</source>
        <translation>Verify</translation>
    </message>
    <message>
        <source>リード</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>セットアップを開く...</source>
        <translation>Open setup…</translation>
    </message>
    <message>
        <source>セットアップを保存...</source>
        <translation>Save setup…</translation>
    </message>
    <message>
        <source>セットアップを開く</source>
        <translation>Open setup</translation>
    </message>
    <message>
        <source>セットアップの保存</source>
        <translation>Save setup</translation>
    </message>
    <message>
        <source>コードファイルを開いてからセットアップを保存してください。</source>
        <translation>Open a code file before saving a setup.</translation>
    </message>
    <message>
        <source>セットアップファイル %1 を読めません。</source>
        <translation>The setup file %1 cannot be read.</translation>
    </message>
    <message>
        <source>セットアップファイル %1 は新しいバージョンのプログラムのものです。</source>
        <translation>The setup file %1 was written by a newer version of the program.</translation>
    </message>
    <message>
        <source>セットアップの保存後に変更されたファイルがあります:<byte value="xd"/>
%1<byte value="xd"/>
このまま開きますか？</source>
        <translation>These files changed since the setup was saved:<byte value="xd"/>
%1<byte value="xd"/>
Open them as they are?</translation>
    </message>
    <message>
        <source>最近使ったファイル(&amp;R)</source>
        <translation>&amp;Recent files</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>操作ログ</source>
        <translation>Operations log</translation>
    </message>
    <message>
        <source>操作ログウインドウを開く</source>
        <translation>Open operations log window</translation>
    </message>
    <message>
        <source>保存...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>ベリファイ結果の保存</source>
        <translation>Save verify results</translation>
    </message>
    <message>
        <source>操作ログの保存</source>
        <translation>Save operations log</translation>
    </message>
    <message>
        <source>ファイル %1 を保存できませんでした: %2</source>
        <translation>Could not save the file %1: %2</translation>
    </message>
    <message>
        <source>このアダプターに固定する</source>
        <translation>Tie to this adapter</translation>
    </message>
    <message>
        <source>/dev/serial/by-id のリンクを保存し、差し直しや他のアダプターの接続後も同じアダプターを使います。</source>
        <translation>Stores the /dev/serial/by-id link, so the same adapter is used even after it is plugged in again or other adapters are connected.</translation>
    </message>
    <message>
        <source>起動できません。ロックファイル %1 を作成できません: %2</source>
        <translation>Cannot start. The lock file %1 cannot be created: %2</translation>
    </message>
    <message>
        <source>ファイルではないもの (フォルダなど) が置かれています。</source>
        <translation>Something that is not a file (a folder or the like) is in its place.</translation>
    </message>
    <message>
        <source>アクセス権がありません。</source>
        <translation>Permission denied.</translation>
    </message>
    <message>
        <source>読めないロックファイルがあります (他のユーザーのファイルなど)。</source>
        <translation>There is a lock file that cannot be read (another user&apos;s file or the like).</translation>
    </message>
    <message>
        <source>原因不明のエラーです。</source>
        <translation>Unknown error.</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>ｻﾎﾟｰﾄﾍﾟｰｼﾞ : </source>
        <translation>Support page : </translation>
    </message>
    <message>
        <source>サポートホームページへジャンプ</source>
        <translation>Go to the support home page</translation>
    </message>
    <message>
        <source>KX-WRT540 AVRライター用 書込みソフトウェア</source>
        <translation>Programming software for the KX-WRT540 AVR writer</translation>
    </message>
    <message>
        <source>AT90S／ATtinyシリーズのフラッシュ、EEPROM、Lock/Fuseビットをシリアルポート経由で書込み・読出し・ベリファイします。</source>
        <translation>Programs, reads and verifies the flash, EEPROM and Lock/Fuse bits of the AT90S/ATtiny series through a serial port.</translation>
    </message>
    <message>
        <source>本ソフトウェアの使用により生じたいかなる損害についても、作者は責任を負いません。</source>
        <translation>The author accepts no liability for any damage arising from the use of this software.</translation>
    </message>
    <message>
        <source>通信ポート選択</source>
        <translation>Select communication port</translation>
    </message>
    <message>
        <source>通信ポートを選んでください。</source>
        <translation>Please choose the communication port.</translation>
    </message>
    <message>
        <source>ポートオープン失敗</source>
        <translation>Port open failed</translation>
    </message>
    <message>
        <source>ライター接続確認が終了していません。</source>
        <translation>The writer connection check has not been completed.</translation>
    </message>
    <message>
        <source>ポート番号を再設定してください。</source>
        <translation>Please set the port number again.</translation>
    </message>
    <message>
        <source>ポートが選ばれていません。</source>
        <translation>No port is selected.</translation>
    </message>
    <message>
        <source>デバイス:</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>プログラムメモリ</source>
        <translation>Program memory</translation>
    </message>
    <message>
        <source>EEPROMデータメモリ</source>
        <translation>EEPROM data memory</translation>
    </message>
    <message>
        <source>デバイスインデックス</source>
        <translation>Device index</translation>
    </message>
    <message>
        <source>ISPコネクタ</source>
        <translation>ISP connector</translation>
    </message>
    <message>
        <source>ISPコネクタでのプログラミング：</source>
        <translation>Programming through the ISP connector:</translation>
    </message>
    <message>
        <source>ISPコネクタ経由の使用は動作保障しておりません。</source>
        <translation>Use through the ISP connector is not guaranteed to work.</translation>
    </message>
    <message>
        <source>ターゲットボード側からＶＣＣを供給するときは&#x3000;&quot;ＶＣＣ SEL&quot;ジャンパーを外してください。</source>
        <translation>When VCC is supplied from the target board, remove the &quot;VCC SEL&quot; jumper.</translation>
    </message>
    <message>
        <source>ターゲットボード側に発振回路があるときは&#x3000;&quot;XTAL SEL&quot;ジャンパーを外してください。</source>
        <translation>When the target board has its own oscillator circuit, remove the &quot;XTAL SEL&quot; jumper.</translation>
    </message>
    <message>
        <source>New ZendraV6 ヘルプ</source>
        <translation>New ZendraV6 Help</translation>
    </message>
    <message>
        <source>ヘルプファイルが見つかりません</source>
        <translation>Help file not found</translation>
    </message>
    <message>
        <source>ヘルプファイル「%1」を開けませんでした。プログラムと同じフォルダに zendra.hlp があるか確認してください。</source>
        <translation>Could not open the help file &quot;%1&quot;. Check that zendra.hlp is in the same folder as the program.</translation>
    </message>
    <message>
        <source>リセットディレイセレクト&#x3000;CKS[ Msb...Lsb ]</source>
        <translation>Reset delay select CKS[ Msb...Lsb ]</translation>
    </message>
    <message>
        <source>スタートアップタイムセレクト&#x3000;[ Msb...Lsb ]</source>
        <translation>Start-up time select [ Msb...Lsb ]</translation>
    </message>
    <message>
        <source>ＢＯＤ有効ビット</source>
        <translation>BOD enable bit</translation>
    </message>
    <message>
        <source>ＢＯＤレベル</source>
        <translation>BOD level</translation>
    </message>
    <message>
        <source>ＰＢ５端子、リセット機能無効ビット</source>
        <translation>PB5 pin: reset function disable bit</translation>
    </message>
    <message>
        <source>ファーストスタートアップ有効ビット</source>
        <translation>Fast start-up enable bit</translation>
    </message>
    <message>
        <source>ＲＣオシレータ有効ビット</source>
        <translation>RC oscillator enable bit</translation>
    </message>
    <message>
        <source>他の処理を実行中です。</source>
        <translation>Another operation is running.</translation>
    </message>
    <message>
        <source>Lock/Fuse bit ライトを中止しました。</source>
        <translation>Lock/Fuse bit write cancelled.</translation>
    </message>
    <message>
        <source>Lock/Fuse bit はライトしていません（確認のみ）。</source>
        <translation>Lock/Fuse bits not written (dry run).</translation>
    </message>
    <message>
        <source>デバイスにアクセスできなくなる変更のためライトしません: </source>
        <translation>Not written: the change locks the chip out of this writer: </translation>
    </message>
    <message>
        <source>ライト後、このプログラマ(Low-voltage Serial Programming mode)ではデバイスにアクセスできなくなります。</source>
        <translation>Once written, this writer (low-voltage serial programming mode) can no longer reach the chip.</translation>
    </message>
    <message>
        <source>次のチップ消去まで、リードとベリファイができなくなります。</source>
        <translation>Reading and verifying are refused until the next chip erase.</translation>
    </message>
    <message>
        <source>次のチップ消去まで、書込みができなくなります。</source>
        <translation>Writing is refused until the next chip erase.</translation>
    </message>
    <message>
        <source>Lock/Fuse ライトの確認</source>
        <translation>Confirm lock/fuse write</translation>
    </message>
    <message>
        <source>ライト</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo lock/fuse write</translation>
    </message>
    <message>
        <source>変更前</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>変更後</source>
        <translation>After</translation>
    </message>
    <message>
        <source>項目</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>Lock/Fuse bit を次のように変更します。</source>
        <translation>The lock/fuse bits change as follows.</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>バッファの修正が保存されていません。保存せずに終了しますか？</source>
        <translation>The buffer edits have not been saved. Quit without saving them?</translation>
    </message>
    <message>
        <source>使用部分の CRC-32 (プログラムメモリ / EEPROM)</source>
        <translation>CRC-32 of the used part (program memory / EEPROM)</translation>
    </message>
    <message>
        <source>変更時に自動プログラム</source>
        <translation>Program when the files change</translation>
    </message>
    <message>
        <source>ファイルが変更されました。バッファの修正は保存されていません。修正を破棄して読み直しますか？</source>
        <translation>The files have changed. The buffer edits have not been saved. Discard them and reload?</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞ送信 : Select device command T , 0x%1</source>
        <translation>Sending command : Select device command T , 0x%1</translation>
    </message>
    <message>
        <source>ライターを COM%1に検出しました。</source>
        <translation>Writer detected on COM%1.</translation>
    </message>
    <message>
        <source>ライターを %1に検出しました。</source>
        <translation>Writer detected on %1.</translation>
    </message>
    <message>
        <source>または、%1より入手できます。&#x3000;&#x3000;&#x3000;</source>
        <translation>or can be obtained from %1.</translation>
    </message>
    <message>
        <source>アップデート方法は、%1をご覧ください。&#x3000;&#x3000;</source>
        <translation>For how to update, see %1.</translation>
    </message>
    <message>
        <source>現在のファームウエアバージョン&#x3000; ： KX-WRT540 V%1 </source>
        <translation>Current firmware version     : KX-WRT540 V%1 </translation>
    </message>
    <message>
        <source>推奨するファームウエアバージョン ： KX-WRT540 V%1 、または、それ以降。&#x3000;</source>
        <translation>Recommended firmware version : KX-WRT540 V%1 or later.</translation>
    </message>
    <message>
        <source>%1 のオープンに失敗しました。</source>
        <translation>%1 could not be opened.</translation>
    </message>
    <message>
        <source>ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :%1 word</source>
        <translation>Program memory   :%1 word</translation>
    </message>
    <message>
        <source>EEPROMﾃﾞｰﾀﾒﾓﾘ:%1 byte</source>
        <translation>EEPROM data memory:%1 byte</translation>
    </message>
    <message>
        <source>ファイル名：%1を指定しました。</source>
        <translation>File %1 selected.</translation>
    </message>
    <message>
        <source>アップデート完了。  %1sec</source>
        <translation>Update completed.  %1sec</translation>
    </message>
    <message>
        <source>デバイスにないセットアップの Lock/Fuse 設定: %1</source>
        <translation>lock/fuse settings of the setup that the device lacks: %1</translation>
    </message>
    <message>
        <source>チップ記録が使えないため、シリアル番号を発行できません: %1</source>
        <translation>The chip store cannot be used, so no serial number can be issued: %1</translation>
    </message>
    <message>
        <source>チップ記録が使えないため、記録せずに実行しました: %1</source>
        <translation>The chip store cannot be used; the operation ran without a record: %1</translation>
    </message>
    <message>
        <source>チップ記録に書き込めません: %1</source>
        <translation>Cannot write to the chip store: %1</translation>
    </message>
    <message>
        <source>シリアル番号の位置がデバイスの外です: %1</source>
        <translation>The serial number&apos;s place lies outside the device: %1</translation>
    </message>
    <message>
        <source>キャリブレーションのコピー先がデバイスの外です: %1</source>
        <translation>The calibration copy&apos;s place lies outside the device: %1</translation>
    </message>
    <message>
        <source>このデバイスにはキャリブレーションバイトがありません: %1</source>
        <translation>This device has no calibration byte: %1</translation>
    </message>
    <message>
        <source>シリアル番号が書式に入りきりません: %1</source>
        <translation>The serial number does not fit its format: %1</translation>
    </message>
    <message>
        <source>シリーズの開始番号か増分が記録と違います。記録の次の番号: %1</source>
        <translation>The series&apos; start or step differs from the store&apos;s. Its next number: %1</translation>
    </message>
    <message>
        <source>生産(&amp;M)</source>
        <translation>Pro&amp;duction</translation>
    </message>
    <message>
        <source>生産設定(&amp;S)...</source>
        <translation>Production &amp;settings...</translation>
    </message>
    <message>
        <source>チップ記録(&amp;H)</source>
        <translation>Chip &amp;history</translation>
    </message>
    <message>
        <source>生産設定</source>
        <translation>Production settings</translation>
    </message>
    <message>
        <source>シリアル番号を書き込む</source>
        <translation>Write a serial number</translation>
    </message>
    <message>
        <source>キャリブレーションバイトをコピーする</source>
        <translation>Copy the calibration byte</translation>
    </message>
    <message>
        <source>メモリ:</source>
        <translation>Memory:</translation>
    </message>
    <message>
        <source>アドレス:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>書式:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>シリーズ:</source>
        <translation>Series:</translation>
    </message>
    <message>
        <source>開始番号:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source>増分:</source>
        <translation>Step:</translation>
    </message>
    <message>
        <source>チップ記録 (ファイルまたは postgresql://...):</source>
        <translation>Chip store (a file or postgresql://...):</translation>
    </message>
    <message>
        <source>(空欄: ユーザーのデータフォルダの chips.sqlite)</source>
        <translation>(empty: chips.sqlite in the user&apos;s data folder)</translation>
    </message>
    <message>
        <source>アドレスが正しくありません: %1</source>
        <translation>Not a valid address: %1</translation>
    </message>
    <message>
        <source>数値が正しくありません: %1</source>
        <translation>Not a valid number: %1</translation>
    </message>
    <message>
        <source>シリアル番号とキャリブレーションバイトの位置が重なっています。</source>
        <translation>The serial number and the calibration byte overlap.</translation>
    </message>
    <message>
        <source>次のシリアル番号 %1</source>
        <translation>Next serial %1</translation>
    </message>
    <message>
        <source>次のプログラムで書き込むシリアル番号</source>
        <translation>The serial number the next program run writes</translation>
    </message>
    <message>
        <source>チップ記録</source>
        <translation>Chip history</translation>
    </message>
    <message>
        <source>絞り込み:</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>時刻</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>ベンチ</source>
        <translation>Bench</translation>
    </message>
    <message>
        <source>ポート</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>デバイス</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>コマンド</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>シリアル番号</source>
        <translation>Serial</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>キャリブレーション</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>チップ記録を読めません: %1</source>
        <translation>Cannot read the chip store: %1</translation>
    </message>
    <message>
        <source>同じことをするコマンド (zendra-cli):</source>
        <translation>The same from a script (zendra-cli):</translation>
    </message>
    <message>
        <source>チップ記録が使えないため、実行しません: %1</source>
        <translation>The chip store asked for cannot be used, so nothing was run: %1</translation>
    </message>
    <message>
        <source>シリーズがありません。開始番号を指定してください: %1</source>
        <translation>No such series; give its start number to create it: %1</translation>
    </message>
    <message>
        <source>セットアップを開いた後にバッファが修正されています。セットアップなしで、バッファの内容をプログラムしますか？</source>
        <translation>The buffer was edited after the setup was opened. Program the buffer as it is, without the setup?</translation>
    </message>
    <message>
        <source>セットアップファイルの値の型か範囲が正しくありません: %1 (%2)</source>
        <translation>A value of the setup file has the wrong type or is out of range: %1 (%2)</translation>
    </message>
    <message>
        <source>チップはロックされています (読み出し禁止)。チップ消去でロックを解除してから書き込み直してください。</source>
        <translation>The chip is locked (read-protected). A chip erase unlocks it; then program it again.</translation>
    </message>
    <message>
        <source>相違するセルはすべて消去状態 (FF) のままです: 書き込みがチップに届いていません。ソケットへの差し込み、VCC SEL ジャンパー、電源を確かめてください。</source>
        <translation>Every differing cell still reads erased (FF): the writes do not reach the chip. Check how it sits in the socket, the VCC SEL jumper and the supply.</translation>
    </message>
    <message>
        <source>相違はアドレス線 A%1 の不良で説明できます (そのビットを反転した番地の値が読めます)。ソケットの接触とチップの向きを確かめてください。</source>
        <translation>A faulty address line A%1 explains the differences (cells read the value at their address with that bit flipped). Check the socket&apos;s contacts and the chip&apos;s orientation.</translation>
    </message>
    <message>
        <source>ファイルでビット %1 が 1 のセルはすべてそのビットが誤って読め、ほかのビットは一致します: データ線の不良です。ソケットの接触を確かめてください。</source>
        <translation>Every cell whose bit %1 is set in the file reads that bit wrong, and no other bit differs: a faulty data line. Check the socket&apos;s contacts.</translation>
    </message>
    <message>
        <source>相違は %1 セルだけで、規則性がありません: ノイズか電源の不安定です。もう一度実行するか、短いケーブルを使ってください。</source>
        <translation>Only %1 cells differ, with no pattern: noise or an unsteady supply. Try again, or use a shorter cable.</translation>
    </message>
    <message>
        <source>相違するビットはすべて、ファイルが 1 のところ 0 と読めます: チップ消去が効いていません。消去し直してから書き込んでください。</source>
        <translation>Every differing bit reads 0 where the file has 1: the chip erase did not work. Erase again, then program.</translation>
    </message>
    <message>
        <source>相違するビットはすべて、ファイルが 0 のところ 1 と読めます: 書き込みが足りません。電源とソケットの接触を確かめてください。</source>
        <translation>Every differing bit reads 1 where the file has 0: the bits were not programmed. Check the supply and the socket&apos;s contacts.</translation>
    </message>
    <message>
        <source>相違の原因は特定できません。</source>
        <translation>The differences fit no known cause.</translation>
    </message>
    <message>
        <source>ポートがありません: %1</source>
        <translation>no such port: %1</translation>
    </message>
    <message>
        <source>ライターの USB ケーブルを差し直し、検出されたポートの一覧から選び直してください。</source>
        <translation>Plug the writer&apos;s USB cable in again and choose the port from the detected ones.</translation>
    </message>
    <message>
        <source>ポートがあります: %1</source>
        <translation>the port exists: %1</translation>
    </message>
    <message>
        <source>シリアルポートではありません: %1</source>
        <translation>not a serial port: %1</translation>
    </message>
    <message>
        <source>ポートを開けません: %1</source>
        <translation>cannot open the port: %1</translation>
    </message>
    <message>
        <source>ポートを開く権限がありません: %1</source>
        <translation>permission denied: %1</translation>
    </message>
    <message>
        <source>ポートは %1 グループのものです。sudo usermod -aG %1 $USER で参加し、ログインし直してください。</source>
        <translation>The port belongs to the group %1: join it with sudo usermod -aG %1 $USER, then log out and in again.</translation>
    </message>
    <message>
        <source>ポートを開けます</source>
        <translation>the port may be opened</translation>
    </message>
    <message>
        <source>ポートは別のプログラムが使用中です: %1</source>
        <translation>the port is in use by another program: %1</translation>
    </message>
    <message>
        <source>ポートは別のプログラムが使用中です</source>
        <translation>the port is in use by another program</translation>
    </message>
    <message>
        <source>そのプログラムを終了してから診断し直してください。</source>
        <translation>End that program, then run the check again.</translation>
    </message>
    <message>
        <source>ほかのプログラムは使用していません</source>
        <translation>no other program holds the port</translation>
    </message>
    <message>
        <source>応答待ち時間の設定がないポートです (USB シリアル変換器ではありません)</source>
        <translation>the port has no latency timer (not a USB serial adapter)</translation>
    </message>
    <message>
        <source>ライターが応答しません</source>
        <translation>the writer does not answer</translation>
    </message>
    <message>
        <source>ライターの電源、ケーブル、ポートの選択を確かめてください。</source>
        <translation>Check the writer&apos;s power, the cable and the port chosen.</translation>
    </message>
    <message>
        <source>KX-WRT540 ではない応答です: %1</source>
        <translation>the answer is not a KX-WRT540&apos;s: %1</translation>
    </message>
    <message>
        <source>ライターが応答しました: %1</source>
        <translation>the writer answers: %1</translation>
    </message>
    <message>
        <source>ファームウエアが古すぎて使えません: %1</source>
        <translation>the firmware is too old to be used: %1</translation>
    </message>
    <message>
        <source>ファームウエアが古い版です: %1</source>
        <translation>old firmware: %1</translation>
    </message>
    <message>
        <source>識別の往復 %1 回: 失敗 %2 回、平均 %3 ms、最長 %4 ms</source>
        <translation>%1 identification round trips: %2 failed, mean %3 ms, longest %4 ms</translation>
    </message>
    <message>
        <source>通信が不安定です。短いケーブルを使い、USB ハブを通さずに接続してください。</source>
        <translation>The line is unreliable. Use a shorter cable and connect without a USB hub.</translation>
    </message>
    <message>
        <source>応答が遅く、書き込みに時間がかかります。USB シリアル変換器の応答待ち時間を確かめてください。</source>
        <translation>The answers are slow, so every operation takes long. Check the USB serial adapter&apos;s latency timer.</translation>
    </message>
    <message>
        <source>プログラミングモードに入れません: %1</source>
        <translation>programming mode cannot be entered: %1</translation>
    </message>
    <message>
        <source>プログラミングモードに入りました</source>
        <translation>programming mode entered</translation>
    </message>
    <message>
        <source>チップが応答しません (署名 %1): ソケットが空か、差し込みが不完全です</source>
        <translation>the chip does not answer (signature %1): the socket is empty or the chip not fully seated</translation>
    </message>
    <message>
        <source>チップの向きと差し込み位置、ソケットのレバー、VCC SEL と XTAL1 SEL のジャンパーを確かめてください。</source>
        <translation>Check the chip&apos;s orientation and place, the socket&apos;s lever, and the VCC SEL and XTAL1 SEL jumpers.</translation>
    </message>
    <message>
        <source>チップはロックされています (署名 %1)</source>
        <translation>the chip is locked (signature %1)</translation>
    </message>
    <message>
        <source>チップ消去でロックが解除されます (内容も消えます)。診断は消去も書き込みもしません。</source>
        <translation>A chip erase unlocks it (and clears it). The check never erases or writes.</translation>
    </message>
    <message>
        <source>未知の署名です: %1</source>
        <translation>unknown signature: %1</translation>
    </message>
    <message>
        <source>対応していないチップか、接触不良か、壊れたチップです。ソケットとジャンパーを確かめてください。</source>
        <translation>An unsupported chip, a bad contact or a damaged chip. Check the socket and the jumpers.</translation>
    </message>
    <message>
        <source>%1 (署名 %2)</source>
        <translation>%1 (signature %2)</translation>
    </message>
    <message>
        <source>選択したデバイスは %1 ですが、ソケットのチップは %2 です (署名 %3)</source>
        <translation>the device chosen is %1, but the chip in the socket is %2 (signature %3)</translation>
    </message>
    <message>
        <source>%1 は %2 のソケット (デバイスインデックスの左から %3 番目) に差してください。</source>
        <translation>%1 goes in the %2 socket (place %3 from the left in the device index).</translation>
    </message>
    <message>
        <source>ソケットで書き込むときは VCC SEL と XTAL1 SEL のジャンパーを付けたままにします (ターゲットボードから供給するときだけ外します)。</source>
        <translation>Programming in the socket, keep the VCC SEL and XTAL1 SEL jumpers on (remove them only when the target board supplies VCC or the clock).</translation>
    </message>
    <message>
        <source>デバイスの選択を %1 に変えるか、%2 を差してください。</source>
        <translation>Choose the device %1, or put in a %2.</translation>
    </message>
    <message>
        <source>再診断(&amp;R)</source>
        <translation>&amp;Check again</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>アクセス権</source>
        <translation>Permission</translation>
    </message>
    <message>
        <source>他のプログラム</source>
        <translation>Other programs</translation>
    </message>
    <message>
        <source>応答待ち時間</source>
        <translation>Latency timer</translation>
    </message>
    <message>
        <source>ライター</source>
        <translation>Writer</translation>
    </message>
    <message>
        <source>通信品質</source>
        <translation>Line quality</translation>
    </message>
    <message>
        <source>プログラミングモード</source>
        <translation>Programming mode</translation>
    </message>
    <message>
        <source>チップの署名</source>
        <translation>Chip signature</translation>
    </message>
    <message>
        <source>接続診断</source>
        <translation>Connection check</translation>
    </message>
    <message>
        <source>接続を診断しています...</source>
        <translation>Checking the connection...</translation>
    </message>
    <message>
        <source>接続診断...</source>
        <translation>Connection check…</translation>
    </message>
    <message>
        <source>ファームウエアを %1 以上に更新してください (ヘルプ メニューの「ファームウエアのアップデート」、または zendra-cli update)。</source>
        <translation>Update the firmware to %1 or later (Help menu, &quot;Firmware update&quot;, or zendra-cli update).</translation>
    </message>
    <message>
        <source>(すべて)</source>
        <translation>(all)</translation>
    </message>
    <message>
        <source>期間:</source>
        <translation>Period:</translation>
    </message>
    <message>
        <source>チップ %1&#x3000;合格 %2&#x3000;不合格 %3&#x3000;初回合格率 %4</source>
        <translation>Chips %1   passed %2   failed %3   first-pass yield %4</translation>
    </message>
    <message>
        <source>不合格の内訳: %1</source>
        <translation>Failures: %1</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Passed</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>初回合格率</source>
        <translation>First-pass yield</translation>
    </message>
    <message>
        <source>ELF ファイルの%1がファイルの範囲を超えているか、壊れています。</source>
        <translation>The %1 of the ELF file lies outside the file or is damaged.</translation>
    </message>
    <message>
        <source>ELF ヘッダー</source>
        <translation>ELF header</translation>
    </message>
    <message>
        <source>プログラム ヘッダー表</source>
        <translation>program header table</translation>
    </message>
    <message>
        <source>セクション ヘッダー表</source>
        <translation>section header table</translation>
    </message>
    <message>
        <source>セクション名の表</source>
        <translation>section name table</translation>
    </message>
    <message>
        <source>セグメント %1</source>
        <translation>segment %1</translation>
    </message>
    <message>
        <source>セクション %1</source>
        <translation>section %1</translation>
    </message>
    <message>
        <source>パスワードを含む URL は保存しません。パスワードは ~/.pgpass (または PGPASSFILE、PGPASSWORD、PGSERVICE のサービスファイル) に置いてください: %1</source>
        <translation>A URL with a password is not stored: put the password in ~/.pgpass (or PGPASSFILE, PGPASSWORD, a service file through PGSERVICE): %1</translation>
    </message>
    <message>
        <source>チップには何も書き込んでいません（確認のみ）。</source>
        <translation>Nothing was written to the chip (dry run).</translation>
    </message>
    <message>
        <source>チップのシリアル番号の位置 %1 は空です</source>
        <translation>The chip&apos;s serial number place %1 is blank</translation>
    </message>
    <message>
        <source>チップのシリアル番号の位置 %1 の値 %2 は、シリーズ %3 が発行した番号ではありません</source>
        <translation>The value %2 at the chip&apos;s serial number place %1 is not a number series %3 issued</translation>
    </message>
    <message>
        <source>ロックされたチップのシリアル番号の位置 %1 は読めません</source>
        <translation>The serial number place %1 of a locked chip cannot be read</translation>
    </message>
    <message>
        <source>%1。新しい番号を付けます。</source>
        <translation>%1. It takes a new number.</translation>
    </message>
    <message>
        <source>%1。番号を保持できないため、チップには書き込みません。</source>
        <translation>%1. The number cannot be kept, so nothing is written to the chip.</translation>
    </message>
    <message>
        <source>書き直すチップの番号:</source>
        <translation>A reprogrammed chip&apos;s number:</translation>
    </message>
    <message>
        <source>次の番号を付ける</source>
        <translation>Give it the next number</translation>
    </message>
    <message>
        <source>チップの番号を保持する (なければ次の番号)</source>
        <translation>Keep the chip&apos;s number (else the next number)</translation>
    </message>
    <message>
        <source>チップの番号を保持する (なければ書き込まない)</source>
        <translation>Keep the chip&apos;s number (else write nothing)</translation>
    </message>
    <message>
        <source>書き込まれなかった番号を再発行する</source>
        <translation>Issue again a number that never reached a chip</translation>
    </message>
    <message>
        <source>(ロック)</source>
        <translation>(locked)</translation>
    </message>
    <message>
        <source>%1 (ロックされていた)</source>
        <translation>%1 (was locked)</translation>
    </message>
    <message>
        <source>%1 (最初の記録 #%2)</source>
        <translation>%1 (first record #%2)</translation>
    </message>
    <message>
        <source>シリーズ %1 は別の種類のシリーズです（記録の種類: %2）</source>
        <translation>The series %1 is of another kind (the store&apos;s: %2)</translation>
    </message>
    <message>
        <source>シリアル番号リストを読めません: %1 (%2)</source>
        <translation>The serial list cannot be read: %1 (%2)</translation>
    </message>
    <message>
        <source>シリアル番号リストの %2 行目は値ではありません: %1</source>
        <translation>Line %2 of the serial list is no value: %1</translation>
    </message>
    <message>
        <source>シリアル番号リストの %2 行目は %3 行目と同じ値です: %1</source>
        <translation>Line %2 of the serial list holds the same value as line %3: %1</translation>
    </message>
    <message>
        <source>シリアル番号リストを使い切りました: %1（最後の行: %2）</source>
        <translation>The serial list has run out: %1 (its last line: %2)</translation>
    </message>
    <message>
        <source>シリアル番号リストの発行済みの %2 行目が変更されています: %1</source>
        <translation>Line %2 of the serial list, already issued, has changed: %1</translation>
    </message>
    <message>
        <source>この値は発行済みです: %1 (%2)</source>
        <translation>The value was issued already: %1 (%2)</translation>
    </message>
    <message>
        <source>シリアル番号プログラムを起動できません: %1 (%2)</source>
        <translation>The serial number program cannot be started: %1 (%2)</translation>
    </message>
    <message>
        <source>シリアル番号プログラムが失敗しました（終了コード %2）: %1</source>
        <translation>The serial number program failed (exit code %2): %1</translation>
    </message>
    <message>
        <source>シリアル番号プログラムが %2 秒以内に終わらないため停止しました: %1</source>
        <translation>The serial number program did not end within %2 s and was stopped: %1</translation>
    </message>
    <message>
        <source>シリアル番号プログラムの出力が16進数のバイトの1行ではありません: %1 (%2)</source>
        <translation>The serial number program printed no single line of hex bytes: %1 (%2)</translation>
    </message>
    <message>
        <source>シリアル番号プログラムの値がデバイスに入りきりません: %1 (%2)</source>
        <translation>The serial number program&apos;s value does not fit the device: %1 (%2)</translation>
    </message>
    <message>
        <source>値の出所:</source>
        <translation>Values from:</translation>
    </message>
    <message>
        <source>カウンター</source>
        <translation>Counter</translation>
    </message>
    <message>
        <source>リストファイル</source>
        <translation>List file</translation>
    </message>
    <message>
        <source>プログラム</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>リストファイル:</source>
        <translation>List file:</translation>
    </message>
    <message>
        <source>プログラムと引数:</source>
        <translation>Program and arguments:</translation>
    </message>
    <message>
        <source>シリアル番号のために、チップごとに次のプログラムを実行します。よろしいですか？<byte value="xd"/>
%1</source>
        <translation>For the serial numbers, this program will run for every chip. Run it?<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>監視中のファイルがなくなりました: %1</source>
        <translation>The watched file is gone: %1</translation>
    </message>
    <message>
        <source>監視中のファイルが戻りました: %1</source>
        <translation>The watched file is back: %1</translation>
    </message>
    <message>
        <source>もしかして %1?</source>
        <translation>Did you mean %1?</translation>
    </message>
    <message>
        <source>生産ステーション(&amp;T)...</source>
        <translation>Production s&amp;tation…</translation>
    </message>
    <message>
        <source>生産ステーション</source>
        <translation>Production station</translation>
    </message>
    <message>
        <source>ベンチ設定: %1</source>
        <translation>Bench setup: %1</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>全て開始 (スペース)</source>
        <translation>Start all (Space)</translation>
    </message>
    <message>
        <source>チップを挿したら開始する</source>
        <translation>Start when a chip is seated</translation>
    </message>
    <message>
        <source>数量 (0: 制限なし):</source>
        <translation>Quantity (0: no limit):</translation>
    </message>
    <message>
        <source>連続不合格で停止 (0: しない):</source>
        <translation>Stop after failures in a row (0: never):</translation>
    </message>
    <message>
        <source>ポートを追加</source>
        <translation>Add port</translation>
    </message>
    <message>
        <source>待機</source>
        <translation>idle</translation>
    </message>
    <message>
        <source>チップ待ち</source>
        <translation>waiting for a chip</translation>
    </message>
    <message>
        <source>書き込み中 %1 %</source>
        <translation>programming %1 %</translation>
    </message>
    <message>
        <source>検証中 %1 %</source>
        <translation>verifying %1 %</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>done</translation>
    </message>
    <message>
        <source>%1 — %2 — %3</source>
        <translation>%1 — %2 — %3</translation>
    </message>
    <message>
        <source>ファームウェア: %1</source>
        <translation>Firmware: %1</translation>
    </message>
    <message>
        <source>シリアル番号: %1</source>
        <translation>Serial number: %1</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>書き込み器が応答しません。</source>
        <translation>The writer does not answer.</translation>
    </message>
    <message>
        <source>このセッション: 合格 %1、不合格 %2、計 %3</source>
        <translation>This session: %1 passed, %2 failed, %3 in all</translation>
    </message>
    <message>
        <source>シリーズ %1 (チップ記録): 合格 %2、不合格 %3、計 %4</source>
        <translation>Series %1 (chip store): %2 passed, %3 failed, %4 in all</translation>
    </message>
    <message>
        <source>残り %1 個</source>
        <translation>%1 remaining</translation>
    </message>
    <message>
        <source>数量に達しました。これ以上チップを開始しません。</source>
        <translation>The quantity is reached: no more chips are started.</translation>
    </message>
    <message>
        <source>不合格が %1 回続いたので開始を止めました。治具と書き込み器を確かめてください。</source>
        <translation>Stopped starting chips after %1 failures in a row. Check the fixture and the writers.</translation>
    </message>
    <message>
        <source>ステーションを開けません: %1</source>
        <translation>The station cannot open: %1</translation>
    </message>
    <message>
        <source>開いているステーションの書き込み器が動作中です: %1</source>
        <translation>A writer of the open station is still running: %1</translation>
    </message>
    <message>
        <source>ベンチ設定 %1 を読めません (%2)。</source>
        <translation>Cannot read the bench setup %1 (%2).</translation>
    </message>
    <message>
        <source>ベンチ設定の保存後に変わったファイルがあります: %1</source>
        <translation>Files changed since the bench setup was saved: %1</translation>
    </message>
    <message>
        <source>ファイルを読めません: %1</source>
        <translation>Cannot read the file: %1</translation>
    </message>
    <message>
        <source>知らないデバイス名です: %1</source>
        <translation>Unknown device name: %1</translation>
    </message>
    <message>
        <source>デバイスにない書き込み設定です: %1</source>
        <translation>A lock/fuse choice the device does not have: %1</translation>
    </message>
    <message>
        <source>ステーションはロックされています。変更にはエンジニアのパスワードでロックを解除してください。</source>
        <translation>The station is locked. An engineer&apos;s password unlocks it for changes.</translation>
    </message>
    <message>
        <source>エンジニアのパスワード</source>
        <translation>Engineer&apos;s password</translation>
    </message>
    <message>
        <source>ロックを解除するパスワード:</source>
        <translation>Password to unlock:</translation>
    </message>
    <message>
        <source>新しいパスワード (ロックの解除に使います):</source>
        <translation>New password (it unlocks the station):</translation>
    </message>
    <message>
        <source>もう一度:</source>
        <translation>Again:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>パスワードが違います。</source>
        <translation>Wrong password.</translation>
    </message>
    <message>
        <source>二つのパスワードが一致しません。ロックしませんでした。</source>
        <translation>The two passwords differ. The station was not locked.</translation>
    </message>
    <message>
        <source>パスワードを保存できませんでした。ロックしませんでした。</source>
        <translation>The password could not be kept. The station was not locked.</translation>
    </message>
    <message>
        <source>ステーションを %1 にロックしました。</source>
        <translation>The station is locked to %1.</translation>
    </message>
    <message>
        <source>ステーションのロックを解除しました。</source>
        <translation>The station is unlocked.</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>設定の SHA-256</source>
        <translation>Setup&apos;s SHA-256</translation>
    </message>
    <message>
        <source>書き込む SHA-256</source>
        <translation>SHA-256 programmed</translation>
    </message>
    <message>
        <source>ファイルの日時</source>
        <translation>File time</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>State</translation>
    </message>
    <message>
        <source>設定どおり</source>
        <translation>as the setup</translation>
    </message>
    <message>
        <source>設定と違う (承認待ち)</source>
        <translation>differs from the setup (awaiting acceptance)</translation>
    </message>
    <message>
        <source>設定と違う (このセッションで承認済み)</source>
        <translation>differs from the setup (accepted for this session)</translation>
    </message>
    <message>
        <source>読み込み後に変更あり</source>
        <translation>changed on disk since loaded</translation>
    </message>
    <message>
        <source>ベンチ設定の保存後に変わったファイルがあります: %1。エンジニアが承認するまでチップを開始しません。</source>
        <translation>Files changed since the bench setup was saved: %1. No chip starts until an engineer accepts them.</translation>
    </message>
    <message>
        <source>読み込み後にディスク上で変わったファイルがあります: %1。ステーションは読み込んだ内容を書き込み続けます。変更を使うにはエンジニアが再読み込みしてください。</source>
        <translation>Files changed on disk since they were loaded: %1. The station keeps programming what it loaded; an engineer reloads to use the change.</translation>
    </message>
    <message>
        <source>承認</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>再読み込み</source>
        <translation>Reload</translation>
    </message>
    <message>
        <source>ロック</source>
        <translation>Lock</translation>
    </message>
    <message>
        <source>ロック解除</source>
        <translation>Unlock</translation>
    </message>
    <message>
        <source>ロック中 (最後の解除: %1)</source>
        <translation>Locked (last unlocked by: %1)</translation>
    </message>
    <message>
        <source>ロックなし</source>
        <translation>Not locked</translation>
    </message>
    <message>
        <source>このセットアップのシリアル番号プログラムは、このベンチでまだ許可されていません。メイン画面でセットアップを開き、一度書き込んで許可してください: %1</source>
        <translation>This setup&apos;s serial number program is not yet allowed on this bench. Open the setup in the main window and program one chip to allow it: %1</translation>
    </message>
</context>
</TS>
