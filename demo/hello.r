// hello.r : VeskC Builder のサンプル
// メッセージを表示してキー入力を送ります。
#include "util.h"

int main()
{
	int count = 0;
	string msg = "こんにちは、世界！";	// 表示する文字列

	/* 繰り返し処理
	   ソース中の「表」「ソ」も正しく表示されます */
	while (count < 3) {
		show_message(msg, count);
		count++;
	}
	execkey("ENTER");
	return 0;
}
