object Features: TForm
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
    Caption = 'Features'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Body: TLabel
    Left = 24
    Top = 52
    Width = 441
    Height = 32
    AutoSize = False
    Caption = 'Choose the parts of $TITLE$ to install. Click an item'#39's icon to change it.'
    WordWrap = True
  end
  object FeatureTree: TTreeView
    Left = 24
    Top = 92
    Width = 225
    Height = 153
    Tag = 1
    TabOrder = 3
  end
  object Description: TStaticText
    Left = 264
    Top = 92
    Width = 201
    Height = 81
    AutoSize = False
    Tag = 2
  end
  object NeededLabel: TLabel
    Left = 264
    Top = 200
    Width = 100
    Height = 13
    Caption = 'Space needed:'
  end
  object Needed: TStaticText
    Left = 368
    Top = 200
    Width = 97
    Height = 17
    AutoSize = False
    Tag = 4
  end
  object FreeLabel: TLabel
    Left = 264
    Top = 222
    Width = 100
    Height = 13
    Caption = 'Space free:'
  end
  object Free: TStaticText
    Left = 368
    Top = 222
    Width = 97
    Height = 17
    AutoSize = False
    Tag = 5
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
    Caption = '&Next >'
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
