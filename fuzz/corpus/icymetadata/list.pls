[playlist]
NumberOfEntries=2
File2=http://b/
File1=../live.mp3
