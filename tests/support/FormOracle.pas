{ The outside oracle for form files: Free Pascal's Classes unit.
    FormOracle tobin <text form> <form file>    text to "TPF0" stream behind a
                                                 resource header named after the
                                                 root's class, upper-cased
    FormOracle totext <form file> <text form>  stream (with or without the
                                                 resource header) to text
  The tests build it into the build folder when fpc is installed. }
program FormOracle;

{$mode objfpc}{$H+}

uses
  Classes, SysUtils;

function RootClassName(Stream: TStream): string;
var
  Reader: TReader;
  Flags: TFilerFlags;
  ChildPos: Integer;
  ObjectName: string;
begin
  Stream.Position := 0;
  Reader := TReader.Create(Stream, 4096);
  try
    Reader.Driver.BeginRootComponent;
    Reader.Driver.BeginComponent(Flags, ChildPos, Result, ObjectName);
  finally
    Reader.Free;
  end;
end;

var
  Input, Output, Stream: TMemoryStream;
  Fixup: Longint;
  First: Byte;
begin
  if ParamCount <> 3 then
  begin
    WriteLn(StdErr, 'usage: FormOracle tobin|totext <input> <output>');
    Halt(2);
  end;
  Input := TMemoryStream.Create;
  Output := TMemoryStream.Create;
  Stream := TMemoryStream.Create;
  try
    Input.LoadFromFile(ParamStr(2));
    if ParamStr(1) = 'tobin' then
    begin
      ObjectTextToBinary(Input, Stream);
      Output.WriteResourceHeader(UpperCase(RootClassName(Stream)), Fixup);
      Output.CopyFrom(Stream, 0);
      Output.FixupResourceHeader(Fixup);
    end
    else
    begin
      First := 0;
      if Input.Size > 0 then
        Input.ReadBuffer(First, 1);
      Input.Position := 0;
      if First = $FF then
        Input.ReadResHeader;
      ObjectBinaryToText(Input, Output);
    end;
    Output.SaveToFile(ParamStr(3));
  finally
    Stream.Free;
    Output.Free;
    Input.Free;
  end;
end.
