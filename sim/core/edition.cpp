#include "edition.h"

#include <array>

namespace tessavue::sim {
namespace {

// LT 2000 and LT 2002 write their prompts with half-width katakana, LT 2006 with
// full-width; the rest of the wording is the same.
constexpr EditionTexts kLt2000{
    .name = "LT2000",
    .mainTitle = "AutoCAD LT 2000 - [Drawing1.dwg]",
    .textWindowTitle = "AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - Drawing1.dwg",
    .mainClass = "Afx:400000:b:10011:6:0",
    .commandLineClass = "Afx:400000:8:10011:0:0",
    .pasteClass = "",
    .pasteText = "",
    .idlePrompt = "ｺﾏﾝﾄﾞ: ",
    .cancel = "*ｷｬﾝｾﾙ*",
    .unknownCommand = "未知のｺﾏﾝﾄﾞ \"%s\"。  F1 ｷｰを押してﾍﾙﾌﾟを参照してください。",
    .pointRequired = "点、またはｵﾌﾟｼｮﾝ ｷｰﾜｰﾄﾞが必要です。",
    .lineFirstPoint = "1 点目を指定: ",
    .lineNextPoint = "次の点を指定 または [元に戻す(U)]: ",
    .lineNextPointClose = "次の点を指定 または [閉じる(C)/元に戻す(U)]: ",
    .lineNoContinue = "継続する線分または円弧がありません。",
    .lineAllUndone = "すべてのｾｸﾞﾒﾝﾄが元に戻されました。",
    .selectObjects = "ｵﾌﾞｼﾞｪｸﾄを選択: ",
    .firstCorner = "最初のｺｰﾅｰを指定: ",
    .oppositeCorner = "もう一方のｺｰﾅｰを指定: ",
    .found = "検出数: %d",
    .foundTotal = "検出数: %d、合計: %d",
    .foundDuplicate = "検出数: %d (%d 個重複)、合計: %d",
    .noPreviousSelection = "直前の選択ｾｯﾄがありません。",
    .invalidSelection = "*無効な選択*",
    .expectsPointOrKeyword =
        "点を指定するか、またはｵﾌﾟｼｮﾝ Window/Last/Crossing/BOX/ALL/Fence/WPolygon/CPolygon/"
        "Group/Add/Remove/Multiple/Previous/Undo/AUto/SIngle を入力してください",
    .idPoint = "点を指定: ",
    .idResult = "X = %s     Y = %s     Z = %s",
    .lastPointPrompt = "LASTPOINT の新しい値を入力 <%s>: ",
    .undoNothing = "すべての操作が元に戻されました",
    .layerCurrent = "現在の画層: \"%s\"",
    .layerOptions = "ｵﾌﾟｼｮﾝを入力 [?/作成(M)/設定(S)/新規作成(N)/ｵﾝ(ON)/ｵﾌ(OFF)/色(C)/線種(L)/線の太さ(LW)/"
                    "印刷(P)/ﾌﾘｰｽﾞ(F)/ﾌﾘｰｽﾞ解除(T)/ﾛｯｸ(LO)/ﾛｯｸ解除(U)]: ",
    .layerSetName = "現在にする画層名を入力 または [?] <%s>: ",
    .layerMakeName = "新しい現在の画層名を入力 <%s>: ",
    .layerNotFound = "画層 \"%s\" が見つかりません。",
    .sysvarNewValue = "%s の新しい値を入力 <%s>: ",
    .sysvarRange = "0 から 1 の整数が必要です。",
    .dxfoutFileName = "ﾌｧｲﾙ名を入力 <Drawing1.dxf>: ",
    .dxfoutDialog = "ﾌｧｲﾙ ﾀﾞｲｱﾛｸﾞを表示しています。",
    .dxfoutAccuracy = "精度として 10 進数の桁数を入力 (0 から 16) または [ｵﾌﾞｼﾞｪｸﾄ(O)/ﾊﾞｰｼﾞｮﾝ(V)/ﾊﾞｲﾅﾘ(B)] <16>: ",
    .dxfoutAccuracyObjects = "精度として 10 進数の桁数を入力 (0 から 16) または [ﾊﾞｰｼﾞｮﾝ(V)/ﾊﾞｲﾅﾘ(B)] <16>: ",
    .dxfoutVersion = "ﾊﾞｰｼﾞｮﾝを入力 [R12/2000] <2000>: ",
    .dxfoutBadAnswer = "0 から 16 の整数、またはｵﾌﾟｼｮﾝ ｷｰﾜｰﾄﾞが必要です。",
    .dxfoutCannotWrite = "ﾌｧｲﾙ \"%s\" に書き込めません。",
    .angleDirection = "現在の UCS 内の正の角度の方向:  ANGDIR=反時計回り  ANGBASE=0",
    .rotateBasePoint = "基点を指定: ",
    .rotateAngle = "回転角度を指定 または [参照(R)]: ",
    .angleRequired = "角度、2 点、またはｵﾌﾟｼｮﾝ ｷｰﾜｰﾄﾞが必要です。",
    .explodeRefused = "%d 個のｵﾌﾞｼﾞｪｸﾄは分解できません。",
    .insertBlockName = "ﾌﾞﾛｯｸ名を入力 または [?]: ",
    .insertPoint = "挿入位置を指定 または [尺度(S)/X/Y/Z/回転(R)/一括尺度(PS)/一括X(PX)/一括Y(PY)/一括Z(PZ)/一括回転(PR)]: ",
    .insertXScale = "X 尺度を指定 <1>: ",
    .insertYScale = "Y 尺度を指定 <1>: ",
    .insertRotation = "回転角度を指定 <0>: ",
    .insertFileNotFound = "\"%s\": ﾌｧｲﾙが見つかりません。",
    .insertBadFile = "\"%s\" は有効な図面ﾌｧｲﾙではありません。",
    .insertRedefine = "ﾌﾞﾛｯｸ \"%s\" は既に存在します。再定義しますか? [はい(Y)/いいえ(N)] <N>: ",
    .numberRequired = "数値、またはｵﾌﾟｼｮﾝ ｷｰﾜｰﾄﾞが必要です。",
    .scaleNotZero = "値は 0 以外でなければなりません。",
    .purgeType = "削除する未使用ｵﾌﾞｼﾞｪｸﾄのﾀｲﾌﾟを入力 [ﾌﾞﾛｯｸ(B)/寸法ｽﾀｲﾙ(D)/画層(LA)/線種(LT)/文字ｽﾀｲﾙ(ST)/すべて(A)]: ",
    .purgeNames = "削除する名前を入力 <*>: ",
    .purgeVerify = "削除する名前をそれぞれ確認しますか? [はい(Y)/いいえ(N)] <Y>: ",
    .purgeConfirm = "ﾌﾞﾛｯｸ \"%s\" を削除しますか? <N>: ",
    .purgeDeleting = "ﾌﾞﾛｯｸ \"%s\" を削除しています。",
    .purgeCount = "%d 個のﾌﾞﾛｯｸを削除しました。",
    .purgeNothing = "削除する未使用のﾌﾞﾛｯｸはありません。",
    .invalidKeyword = "ｵﾌﾟｼｮﾝ ｷｰﾜｰﾄﾞが無効です。",
    .listHeader = "                  %s      画層: %s",
    .listSpace = "                            空間: ﾓﾃﾞﾙ空間",
    .listHandle = "                   ﾊﾝﾄﾞﾙ = %s",
    .listLine = "線分",
    .listCircle = "円",
    .listArc = "円弧",
    .listEllipse = "楕円",
    .listPolyline = "ﾎﾟﾘﾗｲﾝ",
    .listText = "文字",
    .listInsert = "ﾌﾞﾛｯｸ参照",
    .listFromPoint = "              始点 点, X=%s  Y=%s  Z=%s",
    .listToPoint = "              終点 点, X=%s  Y=%s  Z=%s",
    .listLength = "          長さ =%s,  XY 平面上の角度 =%s",
    .listDelta = "                  X 増分 =%s, Y 増分 =%s, Z 増分 =%s",
    .listCentre = "            中心点 点, X=%s  Y=%s  Z=%s",
    .listRadius = "            半径 %s",
    .listCircumference = "            円周 %s",
    .listArea = "            面積 %s",
    .listStartAngle = "            開始角度 %s",
    .listEndAngle = "            終了角度 %s",
    .listVertex = "              位置 点, X=%s  Y=%s  Z=%s",
    .listInsertPoint = "            挿入点 点, X=%s  Y=%s  Z=%s",
    .listBlockName = "            ﾌﾞﾛｯｸ名: \"%s\"",
    .listTextValue = "            文字列 %s",
    .ellipseAxisEnd = "楕円の軸の1点目を指定 または [円弧(A)/中心(C)]: ",
    .ellipseArcAxisEnd = "楕円弧の軸の1点目を指定 または [中心(C)]: ",
    .ellipseCentre = "楕円弧の中心を指定: ",
    .ellipseAxisPoint = "軸の端点を指定: ",
    .ellipseOtherAxis = "もう一方の軸の距離を指定 または [回転(R)]: ",
    .ellipseStartAngle = "開始角度を指定 または [ﾊﾟﾗﾒｰﾀ(P)]: ",
    .ellipseEndAngle = "終了角度を指定 または [ﾊﾟﾗﾒｰﾀ(P)/挟角(I)]: ",
    .ellipseInvalid = "無効です。",
    .scaleBasePoint = "基点を指定: ",
    .scaleFactor = "尺度を指定 または [参照(R)]: ",
    .scaleReference = "参照する長さを指定 <1>: ",
    .scaleSecondPoint = "2 点目を指定: ",
    .scaleNewLength = "新しい長さを指定: ",
    .scaleNotPositive = "値は 0 以外で正でなければなりません。",
    .copyBasePoint = "基点を指定 または 移動距離を指定 または [複数(M)]: ",
    .copySecondPoint = "2 点目を指定 または <1 点目を移動距離として使用>: ",
    .copyNextPoint = "2 点目を指定 または [終了(E)/元に戻す(U)] <終了>: ",
    .dxfoutReplace = "ﾌｧｲﾙ \"%s\" は既に存在します。置き換えますか? [はい(Y)/いいえ(N)] <N>: ",
    .textCurrentStyle = "現在の文字ｽﾀｲﾙ:  \"Standard\"  文字の高さ:  %s",
    .textStartPoint = "文字列の始点を指定 または [位置合わせｵﾌﾟｼｮﾝ(J)/文字ｽﾀｲﾙ変更(S)]: ",
    .textHeight = "高さを指定 <%s>: ",
    .textAngle = "文字列の角度を指定 <%s>: ",
    .textValue = "文字列を入力: ",
    .dimFirstOrigin = "1 本目の寸法補助線の起点を指定 または <ｵﾌﾞｼﾞｪｸﾄを選択>: ",
    .dimSecondOrigin = "2 本目の寸法補助線の起点を指定: ",
    .dimLinePosition = "寸法線の位置を指定 または [ﾏﾙﾁﾃｷｽﾄ(M)/寸法値(T)/寸法値角度(A)/水平(H)/垂直(V)/回転(R)]: ",
    .dimMeasured = "寸法値 = %s",
    .listSolid = "ｿﾘｯﾄﾞ",
    .listDimension = "寸法",
};

constexpr EditionTexts kLt2002 = [] {
    EditionTexts t = kLt2000;
    t.name = "LT2002";
    t.mainTitle = "AutoCAD LT 2002 - [Drawing1.dwg]";
    return t;
}();

constexpr EditionTexts kLt2006{
    .name = "LT2006",
    .mainTitle = "AutoCAD LT 2006 - [Drawing1.dwg]",
    .textWindowTitle = "AutoCAD LT テキスト ウィンドウ - Drawing1.dwg",
    .mainClass = "Afx:00400000:b:00010011:00000006:00000000",
    .commandLineClass = "Afx:00400000:8:00010011:00000000:00000000",
    .pasteClass = "Afx:00400000:0:00010011:00000000:00000000",
    .pasteText = "Marin",
    .idlePrompt = "コマンド: ",
    .cancel = "*キャンセル*",
    .unknownCommand = "未知のコマンド \"%s\"。  F1 キーを押してヘルプを参照してください。",
    .pointRequired = "点、またはオプション キーワードが必要です。",
    .lineFirstPoint = "1 点目を指定: ",
    .lineNextPoint = "次の点を指定 または [元に戻す(U)]: ",
    .lineNextPointClose = "次の点を指定 または [閉じる(C)/元に戻す(U)]: ",
    .lineNoContinue = "継続する線分または円弧がありません。",
    .lineAllUndone = "すべてのセグメントが元に戻されました。",
    .selectObjects = "オブジェクトを選択: ",
    .firstCorner = "最初のコーナーを指定: ",
    .oppositeCorner = "もう一方のコーナーを指定: ",
    .found = "検出数: %d",
    .foundTotal = "検出数: %d、合計: %d",
    .foundDuplicate = "検出数: %d (%d 個重複)、合計: %d",
    .noPreviousSelection = "直前の選択セットがありません。",
    .invalidSelection = "*無効な選択*",
    .expectsPointOrKeyword =
        "点を指定するか、またはオプション Window/Last/Crossing/BOX/ALL/Fence/WPolygon/CPolygon/"
        "Group/Add/Remove/Multiple/Previous/Undo/AUto/SIngle を入力してください",
    .idPoint = "点を指定: ",
    .idResult = "X = %s     Y = %s     Z = %s",
    .lastPointPrompt = "LASTPOINT の新しい値を入力 <%s>: ",
    .undoNothing = "すべての操作が元に戻されました",
    .layerCurrent = "現在の画層: \"%s\"",
    .layerOptions = "オプションを入力 [?/作成(M)/設定(S)/新規作成(N)/オン(ON)/オフ(OFF)/色(C)/線種(L)/線の太さ(LW)/"
                    "印刷(P)/フリーズ(F)/フリーズ解除(T)/ロック(LO)/ロック解除(U)/状態(A)]: ",
    .layerSetName = "現在にする画層名を入力 または [?] <%s>: ",
    .layerMakeName = "新しい現在の画層名を入力 <%s>: ",
    .layerNotFound = "画層 \"%s\" が見つかりません。",
    .sysvarNewValue = "%s の新しい値を入力 <%s>: ",
    .sysvarRange = "0 から 1 の整数が必要です。",
    .dxfoutFileName = "ファイル名を入力 <Drawing1.dxf>: ",
    .dxfoutDialog = "ファイル ダイアログを表示しています。",
    .dxfoutAccuracy = "精度として 10 進数の桁数を入力 (0 から 16) または [オブジェクト(O)/バージョン(V)/バイナリ(B)] <16>: ",
    .dxfoutAccuracyObjects = "精度として 10 進数の桁数を入力 (0 から 16) または [バージョン(V)/バイナリ(B)] <16>: ",
    .dxfoutVersion = "バージョンを入力 [R12/2000] <2000>: ",
    .dxfoutBadAnswer = "0 から 16 の整数、またはオプション キーワードが必要です。",
    .dxfoutCannotWrite = "ファイル \"%s\" に書き込めません。",
    .angleDirection = "現在の UCS 内の正の角度の方向:  ANGDIR=反時計回り  ANGBASE=0",
    .rotateBasePoint = "基点を指定: ",
    .rotateAngle = "回転角度を指定 または [コピー(C)/参照(R)] <0>: ",
    .angleRequired = "角度、2 点、またはオプション キーワードが必要です。",
    .explodeRefused = "%d 個のオブジェクトは分解できません。",
    .insertBlockName = "ブロック名を入力 または [?]: ",
    .insertPoint = "挿入位置を指定 または [基点(B)/尺度(S)/X/Y/Z/回転(R)/一括尺度(PS)/一括X(PX)/一括Y(PY)/一括Z(PZ)/一括回転(PR)]: ",
    .insertXScale = "X 尺度を指定 <1>: ",
    .insertYScale = "Y 尺度を指定 <1>: ",
    .insertRotation = "回転角度を指定 <0>: ",
    .insertFileNotFound = "\"%s\": ファイルが見つかりません。",
    .insertBadFile = "\"%s\" は有効な図面ファイルではありません。",
    .insertRedefine = "ブロック \"%s\" は既に存在します。再定義しますか? [はい(Y)/いいえ(N)] <N>: ",
    .numberRequired = "数値、またはオプション キーワードが必要です。",
    .scaleNotZero = "値は 0 以外でなければなりません。",
    .purgeType = "削除する未使用オブジェクトのタイプを入力 [ブロック(B)/寸法スタイル(D)/画層(LA)/線種(LT)/文字スタイル(ST)/すべて(A)]: ",
    .purgeNames = "削除する名前を入力 <*>: ",
    .purgeVerify = "削除する名前をそれぞれ確認しますか? [はい(Y)/いいえ(N)] <Y>: ",
    .purgeConfirm = "ブロック \"%s\" を削除しますか? <N>: ",
    .purgeDeleting = "ブロック \"%s\" を削除しています。",
    .purgeCount = "%d 個のブロックを削除しました。",
    .purgeNothing = "削除する未使用のブロックはありません。",
    .invalidKeyword = "オプション キーワードが無効です。",
    .listHeader = "                  %s      画層: %s",
    .listSpace = "                            空間: モデル空間",
    .listHandle = "                   ハンドル = %s",
    .listLine = "線分",
    .listCircle = "円",
    .listArc = "円弧",
    .listEllipse = "楕円",
    .listPolyline = "ポリライン",
    .listText = "文字",
    .listInsert = "ブロック参照",
    .listFromPoint = "              始点 点, X=%s  Y=%s  Z=%s",
    .listToPoint = "              終点 点, X=%s  Y=%s  Z=%s",
    .listLength = "          長さ =%s,  XY 平面上の角度 =%s",
    .listDelta = "                  X 増分 =%s, Y 増分 =%s, Z 増分 =%s",
    .listCentre = "            中心点 点, X=%s  Y=%s  Z=%s",
    .listRadius = "            半径 %s",
    .listCircumference = "            円周 %s",
    .listArea = "            面積 %s",
    .listStartAngle = "            開始角度 %s",
    .listEndAngle = "            終了角度 %s",
    .listVertex = "              位置 点, X=%s  Y=%s  Z=%s",
    .listInsertPoint = "            挿入点 点, X=%s  Y=%s  Z=%s",
    .listBlockName = "            ブロック名: \"%s\"",
    .listTextValue = "            文字列 %s",
    .ellipseAxisEnd = "楕円の軸の1点目を指定 または [円弧(A)/中心(C)]: ",
    .ellipseArcAxisEnd = "楕円弧の軸の1点目を指定 または [中心(C)]: ",
    .ellipseCentre = "楕円弧の中心を指定: ",
    .ellipseAxisPoint = "軸の端点を指定: ",
    .ellipseOtherAxis = "もう一方の軸の距離を指定 または [回転(R)]: ",
    .ellipseStartAngle = "開始角度を指定 または [パラメータ(P)]: ",
    .ellipseEndAngle = "終了角度を指定 または [パラメータ(P)/挟角(I)]: ",
    .ellipseInvalid = "無効です。",
    .scaleBasePoint = "基点を指定: ",
    .scaleFactor = "尺度を指定 または [参照(R)]: ",
    .scaleReference = "参照する長さを指定 <1>: ",
    .scaleSecondPoint = "2 点目を指定: ",
    .scaleNewLength = "新しい長さを指定: ",
    .scaleNotPositive = "値は 0 以外で正でなければなりません。",
    .copyBasePoint = "基点を指定 または 移動距離を指定 または [複数(M)]: ",
    .copySecondPoint = "2 点目を指定 または <1 点目を移動距離として使用>: ",
    .copyNextPoint = "2 点目を指定 または [終了(E)/元に戻す(U)] <終了>: ",
    .dxfoutReplace = "ファイル \"%s\" は既に存在します。置き換えますか? [はい(Y)/いいえ(N)] <N>: ",
    .textCurrentStyle = "現在の文字スタイル:  \"Standard\"  文字の高さ:  %s",
    .textStartPoint = "文字列の始点を指定 または [位置合わせオプション(J)/文字スタイル変更(S)]: ",
    .textHeight = "高さを指定 <%s>: ",
    .textAngle = "文字列の角度を指定 <%s>: ",
    .textValue = "文字列を入力: ",
    .dimFirstOrigin = "1 本目の寸法補助線の起点を指定 または <オブジェクトを選択>: ",
    .dimSecondOrigin = "2 本目の寸法補助線の起点を指定: ",
    .dimLinePosition = "寸法線の位置を指定 または [マルチテキスト(M)/寸法値(T)/寸法値角度(A)/水平(H)/垂直(V)/回転(R)]: ",
    .dimMeasured = "寸法値 = %s",
    .listSolid = "ソリッド",
    .listDimension = "寸法",
};

}  // namespace

const EditionTexts& TextsFor(Edition edition) {
    switch (edition) {
        case Edition::LT2002: return kLt2002;
        case Edition::LT2006: return kLt2006;
        case Edition::LT2000: break;
    }
    return kLt2000;
}

std::optional<Edition> ParseEdition(std::string_view text) {
    if (text == "LT2000" || text == "LT 2000") return Edition::LT2000;
    if (text == "LT2002" || text == "LT 2002") return Edition::LT2002;
    if (text == "LT2006" || text == "LT 2006") return Edition::LT2006;
    return std::nullopt;
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string> args) {
    std::string out;
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd') &&
            next != args.end()) {
            out += *next++;
            ++i;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}

}  // namespace tessavue::sim
