{ Writes and reads dBASE tables and production indexes with Free Pascal's TDbf, an engine
  independent of ours, for the engine tests.
    tdbftool make <folder> <table> <level> <language>
                                             creates the table of the tag-kinds fixture
                                             (level 4 or 7, language driver id such as 201
                                             for Windows-1251) with its rows and every tag
    tdbftool grow <folder> <table> <count>   appends that many rows through TDbf
    tdbftool drop <folder> <table> <tag>     removes a tag
    tdbftool walk <folder> <table> <tag>     prints every record in the tag's order, one line
                                             each: record number, then NAME|CODE|PRICE|QTY
    tdbftool tags <folder> <table>           prints the tag names and expressions
  Exit status 0 on success; a failure prints its message and exits with 1. }
program tdbftool;

{$mode objfpc}{$H+}

uses
  SysUtils, Classes, DB, dbf, dbf_fields, dbf_common;

procedure AddField(Defs: TDbfFieldDefs; const Name: string; Kind: Char; Width, Decimals: Integer);
var
  Def: TDbfFieldDef;
begin
  Def := Defs.AddFieldDef;
  Def.FieldName := Name;
  Def.NativeFieldType := Kind;
  Def.Size := Width;
  Def.Precision := Decimals;
end;

type
  // Code pages this machine's locale lacks would make TDbf refuse to write: text passes
  // byte for byte instead, as in our engine.
  TLanguage = class
    procedure Warning(Sender: TDbf; var Action: TDbfLanguageAction);
  end;

procedure TLanguage.Warning(Sender: TDbf; var Action: TDbfLanguageAction);
begin
  Action := laForceANSI;
end;

var
  Language: TLanguage;

function OpenTable(const Folder, Table: string): TDbf;
begin
  Result := TDbf.Create(nil);
  Result.OnLanguageWarning := @Language.Warning;
  Result.FilePathFull := IncludeTrailingPathDelimiter(Folder);
  Result.TableName := Table;
end;

procedure AddRow(T: TDbf; const Name, Code, Short: string; Price: Double; Qty: Integer; const Day: string);
begin
  T.Append;
  T.FieldByName('NAME').AsString := Name;
  T.FieldByName('CODE').AsString := Code;
  T.FieldByName('SHORT').AsString := Short;
  T.FieldByName('PRICE').AsFloat := Price;
  T.FieldByName('QTY').AsInteger := Qty;
  if Day <> '' then
    T.FieldByName('DAY').AsDateTime := EncodeDate(StrToInt(Copy(Day, 1, 4)), StrToInt(Copy(Day, 5, 2)),
      StrToInt(Copy(Day, 7, 2)));
  T.Post;
end;

procedure Make(const Folder, Table: string; Level, Language: Integer);
var
  T: TDbf;
  Defs: TDbfFieldDefs;
begin
  T := OpenTable(Folder, Table);
  Defs := TDbfFieldDefs.Create(nil);
  try
    T.TableLevel := Level;
    T.LanguageID := Language;
    AddField(Defs, 'NAME', 'C', 12, 0);
    AddField(Defs, 'CODE', 'C', 6, 0);
    AddField(Defs, 'SHORT', 'C', 4, 0);
    AddField(Defs, 'PRICE', 'N', 10, 2);
    AddField(Defs, 'QTY', 'N', 5, 0);
    AddField(Defs, 'DAY', 'D', 8, 0);
    T.CreateTableEx(Defs);
    T.Exclusive := True;
    T.Open;
    AddRow(T, 'pear', 'B2', 'zz', 12.5, 40, '20240301');
    AddRow(T, 'Apple', 'A1', 'ab', 3.75, -2, '20231231');
    AddRow(T, 'cherry', 'C3', 'ab', 0.5, 0, '20240115');
    AddRow(T, 'apple', 'A1', 'yy', 100, 7, '20240229');
    AddRow(T, 'Banana', 'D4', 'cd', -8.25, 1000, '20240301');
    T.AddIndex('NAME', 'NAME', []);
    T.AddIndex('SHORT', 'SHORT', []);
    T.AddIndex('NAMEDESC', 'NAME', [ixDescending]);
    T.AddIndex('CODEUNIQ', 'CODE', [ixUnique]);
    T.AddIndex('PRICE', 'PRICE', []);
    T.AddIndex('QTYDESC', 'QTY', [ixDescending]);
    T.AddIndex('UPNAME', 'UPPER(NAME)', [ixExpression]);
    T.AddIndex('DAYCODE', 'DTOS(DAY)+CODE', [ixExpression]);
    T.AddIndex('SUBSTR', 'SUBSTR(NAME,2,3)+STR(QTY,5)', [ixExpression]);
    T.Close;
  finally
    Defs.Free;
    T.Free;
  end;
end;

// Appends `Count` rows whose keys fall and repeat, so that every tag splits its nodes.
procedure Grow(const Folder, Table: string; Count: Integer);
var
  T: TDbf;
  I: Integer;
begin
  T := OpenTable(Folder, Table);
  try
    T.Exclusive := True;
    T.Open;
    for I := 0 to Count - 1 do
      AddRow(T, 'g' + IntToStr(I mod 50), 'Y' + IntToStr(I mod 7), IntToStr(9999 - I), I / 4, I mod 13, '20240101');
    T.Close;
  finally
    T.Free;
  end;
end;

// Removes a tag from the production index.
procedure Drop(const Folder, Table, Tag: string);
var
  T: TDbf;
begin
  T := OpenTable(Folder, Table);
  try
    T.Exclusive := True;
    T.Open;
    T.DeleteIndex(Tag);
    T.Close;
  finally
    T.Free;
  end;
end;

procedure Walk(const Folder, Table, Tag: string);
var
  T: TDbf;
begin
  T := OpenTable(Folder, Table);
  try
    T.Open;
    T.IndexName := Tag;
    T.First;
    while not T.EOF do
    begin
      WriteLn(T.PhysicalRecNo, ' ', TrimRight(T.FieldByName('NAME').AsString), '|',
        TrimRight(T.FieldByName('CODE').AsString), '|', FormatFloat('0.00', T.FieldByName('PRICE').AsFloat), '|',
        T.FieldByName('QTY').AsInteger);
      T.Next;
    end;
    T.Close;
  finally
    T.Free;
  end;
end;

procedure Tags(const Folder, Table: string);
var
  T: TDbf;
  I: Integer;
begin
  T := OpenTable(Folder, Table);
  try
    T.Open;
    for I := 0 to T.Indexes.Count - 1 do
      WriteLn(T.Indexes[I].IndexFile, ' ', T.Indexes[I].SortField);
    T.Close;
  finally
    T.Free;
  end;
end;

begin
  Language := TLanguage.Create;
  try
    if (ParamCount = 5) and (ParamStr(1) = 'make') then
      Make(ParamStr(2), ParamStr(3), StrToInt(ParamStr(4)), StrToInt(ParamStr(5)))
    else if (ParamCount = 4) and (ParamStr(1) = 'grow') then
      Grow(ParamStr(2), ParamStr(3), StrToInt(ParamStr(4)))
    else if (ParamCount = 4) and (ParamStr(1) = 'drop') then
      Drop(ParamStr(2), ParamStr(3), ParamStr(4))
    else if (ParamCount = 4) and (ParamStr(1) = 'walk') then
      Walk(ParamStr(2), ParamStr(3), ParamStr(4))
    else if (ParamCount = 3) and (ParamStr(1) = 'tags') then
      Tags(ParamStr(2), ParamStr(3))
    else
    begin
      WriteLn('usage: tdbftool make|grow|drop|walk|tags ...');
      Halt(2);
    end;
  except
    on E: Exception do
    begin
      WriteLn(E.ClassName, ': ', E.Message);
      Halt(1);
    end;
  end;
end.
