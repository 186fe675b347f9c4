object Folder: TForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 313
  ClientWidth = 489
  Color = clWhite
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object Heading: TLabel
    Left = 24
    Top = 20
    Width = 441
    Height = 19
    AutoSize = False
    Caption = 'Destination Folder'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Body: TLabel
    Left = 24
    Top = 60
    Width = 441
    Height = 32
    AutoSize = False
    Caption = '$TITLE$ will be installed in this folder. To install it elsewhere, type another folder or click Browse.'
    WordWrap = True
  end
  object TargetEdit: TEdit
    Left = 24
    Top = 104
    Width = 345
    Height = 21
    Hint = 'TARGETDIR'
    Tag = 2
    TabOrder = 3
  end
  object BrowseButton: TButton
    Left = 384
    Top = 102
    Width = 80
    Height = 25
    Caption = 'B&rowse...'
    Tag = 4
    TabOrder = 4
  end
  object Bevel1: TBevel
    Left = 0
    Top = 264
    Width = 489
    Height = 2
    Shape = bsTopLine
  end
  object BackButton: TButton
    Left = 216
    Top = 276
    Width = 80
    Height = 25
    Caption = '< &Back'
    Tag = 2
    TabOrder = 2
  end
  object NextButton: TButton
    Left = 300
    Top = 276
    Width = 80
    Height = 25
    Caption = '&Install'
    Tag = 1
    TabOrder = 0
    Default = True
  end
  object CancelButton: TButton
    Left = 392
    Top = 276
    Width = 80
    Height = 25
    Caption = 'Cancel'
    Tag = 3
    TabOrder = 1
  end
end
