// util.h : 共通の関数
#ifndef UTIL_H
#define UTIL_H

#define MAX_COUNT	10	// 最大回数

void show_message(string text, int n)
{
	// ﾒｯｾｰｼﾞ ﾎﾞｯｸｽ（半角カナ）
	print(text + " (" + n + ")");
}

#endif
